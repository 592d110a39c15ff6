#include "generation/EngineSession.h"

#include "automation/CreateObject.h"
#include "shell/RuntimeError.h"

void withWordApplication(const std::function<void(const Object &word)> &work)
{
    const Object word = CreateObject(WordProgId);
    try {
        work(word);
    } catch (const RuntimeError &) {
        try {
            word.call(u"Quit"_qs); // closes what it opened
        } catch (const RuntimeError &) {
            // The work's failure is the one to tell.
        }
        throw;
    }
    word.call(u"Quit"_qs);
}

void withDocumentReadOnly(const QString &documentPath, const std::function<void(const Object &document)> &work)
{
    withWordApplication([&](const Object &word) {
        const Object document =
            word.object(u"Documents"_qs).call(u"Open"_qs, {documentPath}, {{u"ReadOnly"_qs, true}}).toObject();
        work(document);
        document.call(u"Close"_qs);
    });
}
