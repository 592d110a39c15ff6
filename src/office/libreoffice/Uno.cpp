#include "Uno.h"

#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/XTextDocument.hpp>

#include <QFileInfo>
#include <QUrl>

OUString toOUString(const QString &text)
{
    return OUString(reinterpret_cast<const sal_Unicode *>(text.utf16()), sal_Int32(text.size()));
}

QString toQString(const OUString &text)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(text.getStr()), text.getLength());
}

OUString fileUrl(const QString &path)
{
    return toOUString(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded));
}

Sequence<css::beans::PropertyValue> properties(const QList<css::beans::PropertyValue> &list)
{
    Sequence<css::beans::PropertyValue> result(sal_Int32(list.size()));
    css::beans::PropertyValue *out = result.getArray();
    for (const css::beans::PropertyValue &value : list)
        *out++ = value;
    return result;
}

css::beans::PropertyValue property(const char *name, const Any &value)
{
    css::beans::PropertyValue result;
    result.Name = OUString::createFromAscii(name);
    result.Value = value;
    return result;
}

QString describe(const css::uno::Exception &error)
{
    const QString message = toQString(error.Message).trimmed();
    if (!message.isEmpty())
        return message;
    return toQString(Any(error).getValueTypeName());
}

Reference<css::beans::XPropertySet> firstPageStyle(const Reference<css::lang::XComponent> &model)
{
    const Reference<css::text::XTextDocument> document(model, UNO_QUERY_THROW);
    const Reference<css::beans::XPropertySet> start(document->getText()->createTextCursor(), UNO_QUERY_THROW);
    OUString name;
    start->getPropertyValue("PageStyleName") >>= name;
    const Reference<css::style::XStyleFamiliesSupplier> families(model, UNO_QUERY_THROW);
    const Reference<css::container::XNameAccess> pageStyles(families->getStyleFamilies()->getByName("PageStyles"),
                                                            UNO_QUERY_THROW);
    return Reference<css::beans::XPropertySet>(pageStyles->getByName(name), UNO_QUERY_THROW);
}
