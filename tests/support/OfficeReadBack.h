#pragma once

#include <QList>
#include <QString>

// Reads a saved document back independently of the engine under test: a separate office
// process (own profile and temporary folder) converts it to flat OpenDocument XML, which is
// parsed into runs of text with the container they sit in and their formatting.
struct TextRun
{
    // "body", "header", or "object<n>" for the text frame or drawing shape of z-order n (saved
    // drawing shapes with text may come back as frames, so the z-order tells them apart)
    QString container;
    QString text;
    bool bold = false;
    QString color; // "#rrggbb", empty when not set
};

class OfficeReadBack
{
public:
    // workFolder: a private folder for the converter's profile, temporary files and output.
    explicit OfficeReadBack(const QString &workFolder) : mWorkFolder(workFolder) {}

    // The runs of the document; an empty list (and a test failure message in error) when the
    // conversion fails.
    QList<TextRun> read(const QString &documentPath, QString *error);

private:
    QString mWorkFolder;
};

// All text of one container, runs joined.
QString textIn(const QList<TextRun> &runs, const QString &container);
// The run of that container holding text, or nullptr.
const TextRun *runWith(const QList<TextRun> &runs, const QString &container, const QString &text);
