#include "dnml/check_run.h"

#include "document/script_document.h"
#include "document/text_reader.h"

namespace dnml {

CheckRun::CheckRun(const ScriptDocument &document, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_run(document, QStringLiteral("check"))
{
}

void CheckRun::start()
{
    m_run.begin();
    // One copy of the text, taken here; the worker reads only that.
    TextReader reader(m_document);
    m_run.post([text = reader.whole()](const BackgroundRun::Cancel &cancel) { return check(text, &cancel); },
               [this](std::vector<Finding> findings) { emit finished(findings); });
}

} // namespace dnml
