#include "details/Form1.h"

#include "details/StoredDate.h"
#include "generation/IsInstalled.h"
#include "generation/PageSharpening.h"
#include "preview/Form2.h"
#include "shell/AppInfo.h"
#include "shell/BackColors.h"
#include "shell/Browser.h"
#include "shell/Clock.h"
#include "shell/CursorFile.h"
#include "shell/FileUtils.h"
#include "shell/Guard.h"
#include "shell/MessageBoxes.h"
#include "shell/Program.h"
#include "shell/RandomSource.h"
#include "shell/Skin.h"

#include <QCloseEvent>
#include <QDateTimeEdit>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <limits>

namespace {

const QString Window1 = QStringLiteral("Form1");

} // namespace

const QString Form1::DateKey = QStringLiteral("DateTimePicker1");
const QString Form1::TimeKey = QStringLiteral("DateTimePicker2");

Form1::Form1(QWidget *parent) : Window(parent)
{
    createControls();
    Form_Load();
}

// A sharpening of the preview's page hands its picture to this window: it must not outlive it.
Form1::~Form1()
{
    PageSharpening::cancel();
}

QDateTime Form1::initialPickerValue()
{
    return QDateTime(QDate(2013, 6, 8), QTime(11, 51, 22));
}

QString Form1::textKey(int index)
{
    return QStringLiteral("Text1_") + QString::number(index);
}

void Form1::createControls()
{
    setDesign(8040, 3405);

    Frame1 = new QGroupBox(QStringLiteral("Party Data"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twips(120, 1110, 7800, 2175));
    setBackColor(Frame1, Qt::white);

    struct TextField
    {
        int index;
        const char16_t *tag;
        QRect rect;
    };
    const TextField fields[] = {
        {3, u"[State]", twips(6960, 1200, 615, 345)},
        {2, u"[Address]", twips(1680, 750, 5895, 345)},
        {1, u"[City]", twips(1680, 1200, 4455, 345)},
        {0, u"[GivenBy]", twips(1680, 1650, 5895, 345)},
    };
    for (const TextField &field : fields) {
        auto *edit = new QLineEdit(Frame1);
        edit->setObjectName(QStringLiteral("Text1_%1").arg(field.index));
        edit->setProperty("tag", QString::fromUtf16(field.tag));
        edit->setGeometry(field.rect);
        edit->setAttribute(Qt::WA_NoMousePropagation);
        edit->installEventFilter(this);
        edit->setMaxLength(std::numeric_limits<int>::max()); // text of any length, never cut
        Text1[field.index] = edit;
    }

    auto makePicker = [this](const QString &name, const QString &tag, const QString &format, QRect rect) {
        auto *picker = new QDateTimeEdit(Frame1);
        picker->setObjectName(name);
        picker->setProperty("tag", tag);
        picker->setDateTimeRange(QDateTime(QDate(1601, 1, 1), QTime(0, 0)),
                                 QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59)));
        picker->setDisplayFormat(format);
        picker->setDateTime(initialPickerValue());
        picker->setGeometry(rect);
        picker->setAttribute(Qt::WA_NoMousePropagation);
        picker->installEventFilter(this);
        return picker;
    };
    DateTimePicker1 = makePicker(DateKey, QStringLiteral("[Date]"), QStringLiteral("MMMM dd, yyyy"),
                                 twips(1680, 300, 2295, 345));
    DateTimePicker1->setCalendarPopup(true);
    // The time is set with spin buttons rather than a calendar.
    DateTimePicker2 = makePicker(TimeKey, QStringLiteral("[Time]"), QStringLiteral("h:mm AP"),
                                 twips(5280, 300, 2295, 345));

    struct Caption
    {
        int index;
        const char16_t *text;
        QRect rect;
        QWidget *field;
    };
    const Caption captions[] = {
        {3, u"&Time:", twips(4680, 345, 465, 225), DateTimePicker2},
        {2, u"&Date:", twips(240, 345, 435, 225), DateTimePicker1},
        {8, u"Stat&e:", twips(6360, 1245, 495, 225), Text1[3]},
        {1, u"Street &Address:", twips(240, 795, 1335, 225), Text1[2]},
        {4, u"C&ity:", twips(240, 1245, 360, 225), Text1[1]},
        {0, u"&Given By:", twips(240, 1695, 765, 225), Text1[0]},
    };
    // Each caption underlines the letter that takes Alt to its field.
    for (const Caption &caption : captions) {
        auto *label = new QLabel(QString::fromUtf16(caption.text), Frame1);
        // A screen reader names each field by its caption, not by the frame around them all.
        label->setBuddy(caption.field);
        caption.field->setAccessibleName(withoutMnemonic(label->text()).chopped(1));
        label->setObjectName(QStringLiteral("Label2_%1").arg(caption.index));
        label->setGeometry(caption.rect);
        // The design's widths fit its own renderer's lettering; a caption never loses letters here.
        label->resize(qMax(caption.rect.width(), label->sizeHint().width()), caption.rect.height());
        label->setAttribute(Qt::WA_NoMousePropagation);
        setBackColor(label, Qt::white);
        Label2.insert(caption.index, label);
    }

    PushButton6 = createPushButton(this, QStringLiteral("PushButton6"), QStringLiteral("&Start Creating Template"),
                                   twips(120, 120, 7800, 405));
    PushButton3 = createPushButton(this, QStringLiteral("PushButton3"), QStringLiteral("&Clear/Reset Data"),
                                   twips(120, 630, 3840, 405));
    PushButton4 = createPushButton(this, QStringLiteral("PushButton4"), QStringLiteral("&Load Sample/Example Data"),
                                   twips(4080, 630, 3840, 405));
    // Ctrl+Enter starts the invitation from whichever field holds the focus.
    addShortcut({Qt::CTRL | Qt::Key_Enter, Qt::CTRL | Qt::Key_Return}, PushButton6);
    // What a screen reader says for the window, told apart from the preview by more than its title.
    setAccessibleName(QStringLiteral("Party details"));
    setAccessibleDescription(QStringLiteral("The details of the party, to fill the invitation with"));
    watchBackgroundHover(this);
    watchBackgroundHover(Frame1);

    // Focus order: date, time, street address, city, state, given by, then the three buttons.
    setFocusOrder({DateTimePicker1, DateTimePicker2, Text1[2], Text1[1], Text1[3], Text1[0], PushButton6, PushButton3,
                   PushButton4});

    for (int index = 0; index < TextFieldCount; ++index)
        connect(Text1[index], &QLineEdit::textChanged, this, [this, index] { Text1_Change(index); });
    connect(DateTimePicker1, &QDateTimeEdit::dateTimeChanged, this, &Form1::DateTimePicker1_Change);
    connect(DateTimePicker2, &QDateTimeEdit::dateTimeChanged, this, &Form1::DateTimePicker2_Change);
    connect(PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
}

void Form1::Form_Load()
{
    Guard guard(Window1, QStringLiteral("Form_Load"));
    guard.run(100, [&] { ApplySkinFile(); });
    // Caption, icon and application title are one numbered step: a failure of any of the three
    // reports as 104.
    guard.run(104, [&] { setWindowTitle(AppInfo::ProductName); });
    guard.run(104, [&] { setWindowIcon(Program::appIcon()); });
    guard.run(104, [&] { AppInfo::SetAppTitle(); });
    const QString cursorFile = AppInfo::cursorFile();
    if (guard.test(122, [&] { return FileExists(cursorFile); }))
        guard.run(124, [&] { setMouseIcon(loadCursorFile(cursorFile)); });
    guard.run(126, [&] {
        RandomSource &random = RandomSource::instance();
        random.randomize(Clock::instance().timer());
        if (random.draw(100) == 7)
            Browser::instance().open(AppInfo::WebPage);
    });
    guard.run(128, [&] {
        const QDate today = Clock::instance().now().date();
        mSettings.restorePicker(
            DateTimePicker1, DateKey,
            StoredDate::fromText(mSettings.stored(DateKey, StoredDate::toText(QDateTime(today, QTime(0, 0))))));
    });
    guard.run(130, [&] {
        const QTime now = Clock::instance().now().time();
        mSettings.restorePicker(
            DateTimePicker2, TimeKey,
            StoredDate::fromText(mSettings.stored(TimeKey, StoredDate::toText(StoredDate::timeOnly(now)))));
    });
    for (int index = 0; index < TextFieldCount; ++index)
        guard.run(134, [&] { Text1[index]->setText(mSettings.stored(textKey(index), QString())); });
    // Said now, before the window is shown and anyone types, rather than at the first keystroke.
    mSettings.reportWriteProblem();
    if (!CheckWordInstalled())
        Program::EndProgram();
}

void Form1::ApplySkinFile()
{
    const QString skinPath = AppInfo::programFolder() + QStringLiteral("/x/o.cjs");
    const QFileInfo skin(skinPath);
    if (!skin.isFile() || skin.isHidden())
        return;
    // The window and its frame and captions take the button-face colour (the window has no
    // option buttons, check boxes or picture boxes).
    NormalizeBackColors(this);
    applySkin(this, skinPath);
}

QString Form1::tag(int index) const
{
    return Text1.at(index)->property("tag").toString();
}

QString Form1::text(int index) const
{
    return Text1.at(index)->text();
}

QDateTime Form1::partyDate() const
{
    return DateTimePicker1->dateTime();
}

QDateTime Form1::partyTime() const
{
    return DateTimePicker2->dateTime();
}

void Form1::Text1_Change(int index)
{
    mSettings.store(textKey(index), Text1[index]->text());
}

void Form1::DateTimePicker1_Change()
{
    mSettings.store(DateKey, StoredDate::toText(DateTimePicker1->dateTime()));
}

void Form1::DateTimePicker2_Change()
{
    mSettings.store(TimeKey, StoredDate::toText(DateTimePicker2->dateTime()));
}

void Form1::PushButton3_Click()
{
    Guard guard(Window1, QStringLiteral("PushButton3_Click"));
    for (int index = 0; index < TextFieldCount; ++index)
        guard.run(102, [&] { Text1[index]->setText(QString()); });
}

void Form1::PushButton4_Click()
{
    Guard guard(Window1, QStringLiteral("PushButton4_Click"));
    guard.run(100, [&] { Text1[0]->setText(QStringLiteral("Ilse and Bram Ketterly")); });
    guard.run(102, [&] { Text1[2]->setText(QStringLiteral("417 Larkspur Avenue")); });
    guard.run(104, [&] { Text1[1]->setText(QStringLiteral("North Vellmont")); });
    guard.run(106, [&] { Text1[3]->setText(QStringLiteral("WA")); });
    guard.run(108, [&] { DateTimePicker1->setDateTime(Clock::instance().now()); });
    guard.run(110, [&] { DateTimePicker2->setDateTime(Clock::instance().now()); });
    guard.run(112, [&] { mSettings.store(DateKey, StoredDate::toText(DateTimePicker1->dateTime())); });
    guard.run(114, [&] { mSettings.store(TimeKey, StoredDate::toText(DateTimePicker2->dateTime())); });
}

void Form1::PushButton6_Click()
{
    Guard guard(Window1, QStringLiteral("PushButton6_Click"));
    // A click queued while a run worked may arrive after it, when this window is hidden: it was
    // meant for the run that has been made.
    if (mBusy || !isVisible())
        return;
    mBusy = true;
    GenerateInvitation(guard, *this, *this); // statements 104 to 212
    mBusy = false;
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    // A text field that gains the focus selects all of its text, so that typing replaces it. The
    // selection waits for the event that gave the focus: a mouse press would otherwise place the
    // caret and drop it.
    // Tab leaves a picker for the next field instead of stepping through its sections (the arrow
    // keys do that), so the focus order is the same for every field.
    if (event->type() == QEvent::KeyPress && qobject_cast<QDateTimeEdit *>(watched)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            focusNextPrevChild(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    if (event->type() == QEvent::FocusIn) {
        if (auto *edit = qobject_cast<QLineEdit *>(watched))
            QTimer::singleShot(0, edit, [edit] { edit->setSelection(0, edit->text().size()); });
    }
    return Window::eventFilter(watched, event);
}

// Back from the preview: its page is no longer looked at, and sharpening it would only hold up
// the office for the next start.
void Form1::showEvent(QShowEvent *event)
{
    PageSharpening::cancel();
    Window::showEvent(event);
}

void Form1::closeEvent(QCloseEvent *event)
{
    event->accept();
    Program::EndProgram();
}

void Form1::setMainWindowPointer(int pointer)
{
    setMousePointer(pointer);
}

void Form1::setPreviewPicture(const QImage &picture)
{
    form2().setPicture(picture);
}

void Form1::setPreviewDocument(const QString &documentPath)
{
    form2().setWordFile(documentPath);
}

void Form1::setPreviewText(const QStringList &values)
{
    form2().setPageText(values);
}

void Form1::showPreview()
{
    form2().show();
}

void Form1::hideMainWindow()
{
    hide();
}

void Form1::setSharperPreviewPicture(const QImage &picture, const QString &documentPath)
{
    if (mForm2 && mForm2->wordFile() == documentPath)
        mForm2->setSharperPicture(picture);
}

void Form1::tellTooLong(const QStringList &fields)
{
    // "The Street Address is ...", "The Given By and the City are ...".
    QStringList named;
    for (const QString &field : fields)
        named.append(QStringLiteral("the ") + field);
    QString list = named.takeLast();
    if (!named.isEmpty())
        list = named.join(QStringLiteral(", ")) + QStringLiteral(" and ") + list;
    list[0] = list[0].toUpper();
    const bool one = fields.size() == 1;
    const QString text = list + (one ? QStringLiteral(" is") : QStringLiteral(" are"))
        + QStringLiteral(" too long to show in full on the invitation. Please shorten ")
        + (one ? QStringLiteral("it.") : QStringLiteral("them."));
    MessageBoxes::instance().show({AppInfo::appTitle(), text, MessageBoxes::Icon::Warning, MessageBoxes::Buttons::Ok});
}

Form2 &Form1::form2()
{
    if (!mForm2)
        mForm2 = std::make_unique<Form2>(this);
    return *mForm2;
}
