#include "markup/vocabulary.h"

namespace markup {

const CastMember *castWithButton(std::string_view button)
{
    for (const CastMember &member : cast)
        if (member.spriteButton == button)
            return &member;
    return nullptr;
}

} // namespace markup
