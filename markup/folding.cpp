#include "markup/folding.h"

namespace markup {

QString fold(QStringView text)
{
    QString folded = text.toString().normalized(QString::NormalizationForm_KC).toCaseFolded();
    for (QChar &c : folded) {
        // Katakana ァ…ヶ and the iteration marks ヽヾ sit 0x60 above their
        // hiragana.
        const char16_t u = c.unicode();
        if ((u >= 0x30A1 && u <= 0x30F6) || u == 0x30FD || u == 0x30FE)
            c = QChar(char16_t(u - 0x60));
    }
    return folded;
}

} // namespace markup
