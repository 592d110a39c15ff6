#pragma once

// The UNO types and conversions the module uses. Office types stay inside this folder.

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/Any.hxx>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/Sequence.hxx>
#include <rtl/ustring.hxx>

#include <QList>
#include <QString>

namespace css = com::sun::star;
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

OUString toOUString(const QString &text);
QString toQString(const OUString &text);
// A file URL for a local path; a relative path is taken from the current folder.
OUString fileUrl(const QString &path);

// A property list for the office's media-descriptor style arguments.
Sequence<css::beans::PropertyValue> properties(const QList<css::beans::PropertyValue> &list);
css::beans::PropertyValue property(const char *name, const Any &value);

// A UNO exception's message, or its type name when it carries none.
QString describe(const css::uno::Exception &error);

// The page style a text document's first page uses.
Reference<css::beans::XPropertySet> firstPageStyle(const Reference<css::lang::XComponent> &model);
