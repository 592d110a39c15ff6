#pragma once

#include "KeptDocument.h"
#include "OfficeObject.h"

#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/text/XText.hpp>

#include <optional>

class WordApplication;

// How a text's characters are reached: a text of the word processor (body, header, footer,
// text frame), or the text inside a drawing shape.
enum class TextKind { Writer, Shape };

// One document opened by a WordApplication.
//   StoryRanges (get)   the main text, the first text box's text, and the headers and footers
//                       of the first page's style that exist
//   Shapes      (get)   every text frame and drawing shape
//   SaveAs      (call)  FileName: always written as Word 97-2003 (.doc)
//   ExportAsFixedFormat (call)  OutputFileName, ExportFormat: 17 (PDF) only; fonts embedded,
//                       pictures at full resolution
//   PrintOut    (call)  Printer, [Copies], [Pages], [PrintZoomPaperWidth], [PrintZoomPaperHeight]:
//                       prints on the printer named, the paper size in twips, and waits for it
//   Close       (call)  [SaveChanges]: closes without saving (0, or nothing given)
//   Range       (call)  the main text as a range
class WordDocument : public OfficeObject
{
public:
    WordDocument(std::shared_ptr<OfficeSession> session, std::weak_ptr<WordApplication> application,
                 Reference<css::lang::XComponent> model, KeepInfo keep = {});

    Variant get(const QString &member) override;
    Variant call(const QString &member, const QList<Variant> &positional, const QList<NamedArgument> &named) override;

    // Closes the document without saving (or hands it to the office's keeper, which may keep it for
    // the next open of what it stands for); does nothing when it is closed already.
    void close();
    bool isClosed() const { return !mModel.is(); }

private:
    void ensureOpen() const;
    Object range(const Reference<css::text::XText> &text, TextKind kind) const;
    QList<Variant> storyRanges() const;
    QList<Variant> shapes() const;
    void saveAs(const QString &path);

    std::weak_ptr<WordApplication> mApplication;
    Reference<css::lang::XComponent> mModel;
    KeepInfo mKeep;
    // Finding and replacing changes no story's existence, so they are looked up once.
    mutable std::optional<QList<Variant>> mStories;
};

// An enumerable collection (StoryRanges, Shapes): For Each only.
class WordCollection : public OfficeObject
{
public:
    WordCollection(std::shared_ptr<OfficeSession> session, QList<Variant> items)
        : OfficeObject(std::move(session))
        , mItems(std::move(items))
    {
    }
    QList<Variant> enumerate() override { return mItems; }

private:
    QList<Variant> mItems;
};

// The text a shape holds, and how its characters are reached; no text when it cannot hold any.
struct ShapeText
{
    Reference<css::text::XText> text;
    TextKind kind = TextKind::Shape;
};
ShapeText textOfShape(const Reference<css::uno::XInterface> &shape);

// The text of a page style's header or footer (name: "HeaderText", "FooterTextFirst"...), or none.
Reference<css::text::XText> textOf(const Reference<css::beans::XPropertySet> &style, const char *name);

// Every shape of the document's draw page, text frames included, in the page's order.
QList<Reference<css::uno::XInterface>> drawPageShapes(const Reference<css::lang::XComponent> &model);

// A shape of the document: TextFrame (get).
class WordShape : public OfficeObject
{
public:
    WordShape(std::shared_ptr<OfficeSession> session, Reference<css::lang::XComponent> model,
              Reference<css::uno::XInterface> shape)
        : OfficeObject(std::move(session))
        , mModel(std::move(model))
        , mShape(std::move(shape))
    {
    }
    Variant get(const QString &member) override;

private:
    Reference<css::lang::XComponent> mModel;
    Reference<css::uno::XInterface> mShape;
    std::shared_ptr<ShapeText> mText; // looked up once, for every text frame asked for
};

// A shape's text frame: HasText (get: -1 when the shape holds text, else 0), TextRange (get: the
// shape's text as a range; a shape that cannot hold text has none), Overflowing (get: true when
// its text needs more room than the shape has, so that part of it is not shown).
class WordTextFrame : public OfficeObject
{
public:
    WordTextFrame(std::shared_ptr<OfficeSession> session, Reference<css::lang::XComponent> model,
                  Reference<css::uno::XInterface> shape, std::shared_ptr<ShapeText> text)
        : OfficeObject(std::move(session))
        , mModel(std::move(model))
        , mShape(std::move(shape))
        , mText(std::move(text))
    {
    }
    Variant get(const QString &member) override;

private:
    Reference<css::lang::XComponent> mModel;
    Reference<css::uno::XInterface> mShape;
    std::shared_ptr<ShapeText> mText;
};
