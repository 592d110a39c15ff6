// The main window as a user meets it: layout, focus order, pointer feedback, the stored details
// and the two data commands, and the start-up sequence around them.
#include "Controls.h"
#include "Legibility.h"
#include "TestFixture.h"
#include "automation/CreateObject.h"
#include "details/Form1.h"
#include "details/StoredDate.h"
#include "generation/IsInstalled.h"
#include "office/OfficeEngine.h"
#include "shell/AppInfo.h"
#include "shell/BackColors.h"
#include "shell/Program.h"
#include "shell/RuntimeError.h"
#include "shell/SettingsStore.h"

#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QAccessible>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// An engine that the start-up check starts ahead of the first click. It counts the starts and
// the instances made; its start fails as scripted: told at once, or from the event loop a moment
// later (an instance made meanwhile fails too, as one that waited for the start would).
class CountingEngine : public Dispatch
{
public:
    Variant get(const QString &) override { unsupported(); }
    void set(const QString &, const Variant &) override { unsupported(); }
    Variant call(const QString &, const QList<Variant> &, const QList<NamedArgument> &) override { unsupported(); }

    static void registerAsWord()
    {
        starts = created = 0;
        causeAtOnce = causeLater = QString();
        AutomationServers::registerServer(
            WordProgId,
            [] {
                ++created;
                if (!causeLater.isEmpty())
                    throw RuntimeError(causeLater);
                return Object(std::make_shared<CountingEngine>());
            },
            [](AutomationServers::FailureHandler failed) {
                ++starts;
                if (!causeLater.isEmpty())
                    QTimer::singleShot(LaterMs, [failed, cause = causeLater] { failed(cause); });
                return causeAtOnce;
            });
    }
    static constexpr int LaterMs = 50;
    static inline int starts = 0;
    static inline int created = 0;
    static inline QString causeAtOnce;
    static inline QString causeLater;
};

QString stored(const QString &key, const QString &defaultValue = QStringLiteral("<absent>"))
{
    return SettingsStore::read("Quenbrook", "Mistlefold", key, defaultValue);
}

void store(const QString &key, const QString &text)
{
    SettingsStore::write("Quenbrook", "Mistlefold", key, text);
}

// A text field of the array Text1 (index 0 given by, 1 city, 2 street address, 3 state).
QLineEdit *text1(const Form1 &form, int index)
{
    return control<QLineEdit>(form, QStringLiteral("Text1_%1").arg(index));
}

void moveMouseOver(QWidget *widget)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

} // namespace

class Form1Test : public TestFixture
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { registerOfficeEngine(); } // as the program does; each test puts its engine in its place
    void init();
    void cleanup();

    void layoutMatchesTheDesign_data();
    void layoutMatchesTheDesign();
    void fontsAndPickers();
    void tabOrderFollowsTheRows();
    void pointerFeedback_data();
    void pointerFeedback();
    void captionsStayReadableUnderADarkScheme_data();
    void captionsStayReadableUnderADarkScheme();
    void fieldsAreNamedByTheirCaptions_data();
    void fieldsAreNamedByTheirCaptions();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();

    void firstStartShowsEmptyFieldsTodayAndNow();
    void restoreShowsWhatWasStored();
    void restoreOfABadDateIsReportedAndTheRestStillRestores();
    void everyEditIsStoredAtOnce();
    void longValueSurvivesARestartWhole();
    void clearEmptiesTheTextsOnly();
    void sampleDataSurvivesARestart();
    void focusSelectsAllText();
    void webPageOpensOnlyOnSeven();
    void skinFile();
    void cursorFileGivesTheCustomPointerItsPicture();
    void withoutEngineTheAdviceIsTheOnlyWindow_data();
    void withoutEngineTheAdviceIsTheOnlyWindow();
    void closingEndsTheProgram();
};

void Form1Test::init()
{
    TestFixture::init();
    CountingEngine::registerAsWord();
}

void Form1Test::cleanup()
{
    AutomationServers::unregisterServer(WordProgId);
    TestFixture::cleanup();
}

void Form1Test::layoutMatchesTheDesign_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");

    QTest::newRow("Frame1") << "Frame1" << "Party Data" << QRect(120, 1110, 7800, 2175);
    QTest::newRow("Text1_3") << "Text1_3" << "" << QRect(6960, 1200, 615, 345);
    QTest::newRow("Text1_2") << "Text1_2" << "" << QRect(1680, 750, 5895, 345);
    QTest::newRow("Text1_1") << "Text1_1" << "" << QRect(1680, 1200, 4455, 345);
    QTest::newRow("Text1_0") << "Text1_0" << "" << QRect(1680, 1650, 5895, 345);
    QTest::newRow("DateTimePicker1") << "DateTimePicker1" << "" << QRect(1680, 300, 2295, 345);
    QTest::newRow("DateTimePicker2") << "DateTimePicker2" << "" << QRect(5280, 300, 2295, 345);
    QTest::newRow("Label2_3") << "Label2_3" << "Time:" << QRect(4680, 345, 465, 225);
    QTest::newRow("Label2_2") << "Label2_2" << "Date:" << QRect(240, 345, 435, 225);
    QTest::newRow("Label2_8") << "Label2_8" << "State:" << QRect(6360, 1245, 495, 225);
    QTest::newRow("Label2_1") << "Label2_1" << "Street Address:" << QRect(240, 795, 1335, 225);
    QTest::newRow("Label2_4") << "Label2_4" << "City:" << QRect(240, 1245, 360, 225);
    QTest::newRow("Label2_0") << "Label2_0" << "Given By:" << QRect(240, 1695, 765, 225);
    QTest::newRow("PushButton6") << "PushButton6" << "Start Creating Template" << QRect(120, 120, 7800, 405);
    QTest::newRow("PushButton3") << "PushButton3" << "Clear/Reset Data" << QRect(120, 630, 3840, 405);
    QTest::newRow("PushButton4") << "PushButton4" << "Load Sample/Example Data" << QRect(4080, 630, 3840, 405);
}

void Form1Test::layoutMatchesTheDesign()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);

    Form1 form;
    QCOMPARE(form.size(), QSize(8040 / 15, 3405 / 15));
    QWidget *widget = control(form, name);
    const QRect designed(twips.left() / 15, twips.top() / 15, twips.width() / 15, twips.height() / 15);
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        QCOMPARE(QString(label->text()).remove('&'), caption);
        // A caption keeps its place and height, and is never narrower than its text.
        QCOMPARE(label->geometry().topLeft(), designed.topLeft());
        QCOMPARE(label->height(), designed.height());
        QVERIFY(label->width() >= qMax(designed.width(), label->sizeHint().width()));
        return;
    }
    QCOMPARE(widget->geometry(), designed);
    if (auto *button = qobject_cast<QPushButton *>(widget))
        QCOMPARE(QString(button->text()).remove('&'), caption);
    if (auto *frame = qobject_cast<QGroupBox *>(widget))
        QCOMPARE(frame->title(), caption);
    // Everything but the buttons lies inside the frame.
    QCOMPARE(widget->parentWidget() == control(form, "Frame1"), name != "Frame1" && !name.startsWith("PushButton"));
}

void Form1Test::fontsAndPickers()
{
    Form1 form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Mistlefold"));
    QCOMPARE(form.font().family(), QStringLiteral("Arial"));
    QVERIFY(form.font().bold());
    QCOMPARE(form.font().pointSizeF(), 9.0);
    QCOMPARE(text1(form, 1)->font().pointSizeF(), 9.0);
    QCOMPARE(control(form, "PushButton6")->font().pointSizeF(), 11.25);
    QVERIFY(control(form, "PushButton6")->font().bold());
    QCOMPARE(form.palette().color(QPalette::Window), QColor(Qt::white));

    QCOMPARE(text1(form, 0)->property("tag").toString(), QStringLiteral("[GivenBy]"));
    QCOMPARE(text1(form, 1)->property("tag").toString(), QStringLiteral("[City]"));
    QCOMPARE(text1(form, 2)->property("tag").toString(), QStringLiteral("[Address]"));
    QCOMPARE(text1(form, 3)->property("tag").toString(), QStringLiteral("[State]"));

    auto *date = control<QDateTimeEdit>(form, "DateTimePicker1");
    auto *time = control<QDateTimeEdit>(form, "DateTimePicker2");
    date->setDateTime(QDateTime(QDate(2026, 12, 24), QTime(19, 30)));
    time->setDateTime(QDateTime(QDate(2026, 12, 24), QTime(19, 30)));
    QCOMPARE(date->text(), QStringLiteral("December 24, 2026"));
    QCOMPARE(time->text(), QStringLiteral("7:30 PM"));
    QVERIFY(date->calendarPopup());
    QVERIFY(!time->calendarPopup());
    QCOMPARE(date->minimumDate(), QDate(1601, 1, 1));
    QCOMPARE(date->maximumDate(), QDate(9999, 12, 31));
    // The time picker holds the whole value it is given, date and seconds included.
    const QDateTime value(QDate(1999, 2, 3), QTime(4, 5, 6));
    time->setDateTime(value);
    QCOMPARE(form.partyTime(), value);
}

void Form1Test::tabOrderFollowsTheRows()
{
    Form1 form;
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));

    QList<QWidget *> order;
    for (const char *name : {"DateTimePicker1", "DateTimePicker2", "Text1_2", "Text1_1", "Text1_3", "Text1_0",
                             "PushButton6", "PushButton3", "PushButton4", "DateTimePicker1"})
        order.append(control(form, name));
    QWidget *frame = control(form, "Frame1");
    order.first()->setFocus(Qt::OtherFocusReason);
    for (qsizetype i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focused = QApplication::focusWidget();
        // A picker takes the focus through its inner edit field.
        while (focused && focused != order[i] && focused->parentWidget() != frame && focused->parentWidget() != &form)
            focused = focused->parentWidget();
        QCOMPARE(focused, order[i]);
    }
}

void Form1Test::pointerFeedback_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("after");

    QTest::newRow("button shows the custom pointer") << 0 << "PushButton4" << 99;
    QTest::newRow("frame shows the arrow") << 99 << "Frame1" << 0;
    QTest::newRow("background shows the arrow") << 99 << "window" << 0;
    QTest::newRow("text field changes nothing") << 99 << "Text1_1" << 99;
    QTest::newRow("caption changes nothing") << 99 << "Label2_4" << 99;
    QTest::newRow("hourglass stays over a button") << 11 << "PushButton6" << 11;
    QTest::newRow("hourglass stays over the frame") << 11 << "Frame1" << 11;
}

void Form1Test::pointerFeedback()
{
    QFETCH(int, before);
    QFETCH(QString, target);
    QFETCH(int, after);

    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.setMousePointer(before);
    QWidget *widget = target == "window" ? &form : control(form, target);
    moveMouseOver(widget);
    QCOMPARE(form.MousePointer(), after);
    if (after == 99) // without a cursor file the custom pointer is a pointing hand
        QCOMPARE(form.cursor().shape(), Qt::PointingHandCursor);
    if (after == 11)
        QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
}

// The window forces white (or, with a skin, button-face) backgrounds; with a dark scheme its
// lettering would keep the theme's light text colour and vanish, white on white.
void Form1Test::captionsStayReadableUnderADarkScheme_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("skin");
    for (const char *name : {"Label2_0", "Label2_1", "Label2_2", "Label2_3", "Label2_4", "Label2_8", "Frame1",
                             "PushButton3", "PushButton4", "PushButton6"})
        QTest::newRow(name) << name << false;
    for (const char *name : {"Label2_1", "Frame1", "PushButton6"})
        QTest::newRow(qPrintable(QStringLiteral("%1 with a skin").arg(name))) << name << true;
}

void Form1Test::captionsStayReadableUnderADarkScheme()
{
    QFETCH(QString, name);
    QFETCH(bool, skin);
    if (skin) {
        QDir(programFolder()).mkpath("x");
        QFile sheet(programFolder() + "/x/o.cjs");
        QVERIFY(sheet.open(QIODevice::WriteOnly) && sheet.write("QLineEdit { padding: 1px; }") > 0);
    }
    const Legibility::ApplicationPalette dark(Legibility::darkPalette());
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QWidget *widget = control(form, name);
    QRect lettering = widget->rect();
    if (auto *frame = qobject_cast<QGroupBox *>(widget))
        lettering = Legibility::titleArea(frame);
    else if (qobject_cast<QPushButton *>(widget))
        lettering = widget->rect().adjusted(4, 4, -4, -4); // the caption, inside the button's edge
    QVERIFY2(Legibility::brightnessSpread(widget, lettering) >= Legibility::ReadableSpread,
             qPrintable(QString::number(Legibility::brightnessSpread(widget, lettering))));
}

void Form1Test::fieldsAreNamedByTheirCaptions_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("accessibleName");
    QTest::newRow("date") << "DateTimePicker1" << "Date";
    QTest::newRow("time") << "DateTimePicker2" << "Time";
    QTest::newRow("street address") << "Text1_2" << "Street Address";
    QTest::newRow("city") << "Text1_1" << "City";
    QTest::newRow("state") << "Text1_3" << "State";
    QTest::newRow("given by") << "Text1_0" << "Given By";
    QTest::newRow("window") << "" << "Party details";
}

// A screen reader named every field after the frame around them, "Party Data".
void Form1Test::fieldsAreNamedByTheirCaptions()
{
    QFETCH(QString, field);
    QFETCH(QString, accessibleName);
    Form1 form;
    form.show();
    QAccessibleInterface *accessible =
        QAccessible::queryAccessibleInterface(field.isEmpty() ? &form : control(form, field));
    QVERIFY(accessible);
    QCOMPARE(accessible->text(QAccessible::Name), accessibleName);
    // Both windows would be announced as "Mistlefold": this one is told by its name and what it is
    // for, and nothing in it goes unnamed.
    if (field.isEmpty()) {
        QCOMPARE(accessible->role(), QAccessible::Window);
        QVERIFY(!accessible->text(QAccessible::Description).isEmpty());
        QCOMPARE(form.windowTitle(), QStringLiteral("Mistlefold"));
        QCOMPARE(unnamedAccessibles(accessible), QStringList());
    }
}

// Enter presses the focused button; Ctrl+Enter starts the invitation from any field or button.
void Form1Test::enterPressesTheFocusedButton_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("givenBy");
    QTest::addColumn<bool>("started");
    QTest::newRow("Return on Load Sample") << "PushButton4" << int(Qt::Key_Return) << 0 << "Ilse and Bram Ketterly"
                                           << false;
    QTest::newRow("keypad Enter on Load Sample")
        << "PushButton4" << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "Ilse and Bram Ketterly" << false;
    QTest::newRow("Return on Clear") << "PushButton3" << int(Qt::Key_Return) << 0 << "" << false;
    QTest::newRow("Ctrl+Return on Load Sample") << "PushButton4" << int(Qt::Key_Return) << int(Qt::ControlModifier)
                                                << "typed" << true;
    QTest::newRow("Ctrl+Return in a text field") << "Text1_2" << int(Qt::Key_Return) << int(Qt::ControlModifier)
                                                 << "typed" << true;
    QTest::newRow("Ctrl+keypad Enter in the date picker")
        << "DateTimePicker1" << int(Qt::Key_Enter) << int(Qt::ControlModifier | Qt::KeypadModifier) << "typed" << true;
}

void Form1Test::enterPressesTheFocusedButton()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, givenBy);
    QFETCH(bool, started);
    Form1 form;
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    text1(form, 0)->setText("typed");
    QWidget *pressed = control(form, button);
    pressed->setFocus(Qt::TabFocusReason);
    QTest::keyClick(pressed, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(form.text(0), givenBy);
    // "Start Creating Template" hands a preview over, whatever this engine makes of it.
    QCOMPARE(form.preview() != nullptr, started);
}

void Form1Test::firstStartShowsEmptyFieldsTodayAndNow()
{
    Form1 form;
    for (int i = 0; i < 4; ++i)
        QCOMPARE(text1(form, i)->text(), QString());
    QCOMPARE(form.partyDate(), QDateTime(Now.date(), QTime(0, 0)));
    QCOMPARE(form.partyTime(), StoredDate::timeOnly(Now.time()));
    QVERIFY(boxes->shown.isEmpty());
    // The engine is started in the background: the window waits for no instance of it.
    QCOMPARE(CountingEngine::starts, 1);
    QCOMPARE(CountingEngine::created, 0);
}

void Form1Test::restoreShowsWhatWasStored()
{
    store("Text1_0", "  Ilse and Bram  ");
    store("Text1_1", "");
    store("Text1_2", "417 Larkspur Avenue, rear");
    store("Text1_3", "WA");
    store("DateTimePicker1", "2026-12-24T18:15:30");
    store("DateTimePicker2", "19:45:05");
    // A write puts a new file in the old one's place, which lives on under a second name: the
    // restore writes back neither what it read nor a time passing through 23:59:59.
    const QByteArray settings = QFile::encodeName(environment->settingsFile());
    const QByteArray witness = QFile::encodeName(environment->root() + "/witness.ini");
    QCOMPARE(::link(settings.constData(), witness.constData()), 0);

    Form1 form;
    struct stat now {}, before {};
    QVERIFY(::stat(settings.constData(), &now) == 0 && ::stat(witness.constData(), &before) == 0);
    QCOMPARE(now.st_ino, before.st_ino);
    QCOMPARE(form.text(0), QStringLiteral("  Ilse and Bram  "));
    QCOMPARE(form.text(1), QString());
    QCOMPARE(form.text(2), QStringLiteral("417 Larkspur Avenue, rear"));
    QCOMPARE(form.text(3), QStringLiteral("WA"));
    QCOMPARE(form.partyDate(), QDateTime(QDate(2026, 12, 24), QTime(18, 15, 30)));
    QCOMPARE(form.partyTime(), StoredDate::timeOnly(QTime(19, 45, 5)));
    QVERIFY(boxes->shown.isEmpty());
}

void Form1Test::restoreOfABadDateIsReportedAndTheRestStillRestores()
{
    store("DateTimePicker1", "next Tuesday");
    store("DateTimePicker2", "half past seven");
    store("Text1_3", "WA");

    Form1 form;
    QCOMPARE(boxes->reports(),
             (QStringList{"Type mismatch\r\nin Tinselmark2021/08/31.Form1.Form_Load at line 128\r\r"
                          "Please email screenshot of this message to support@mistlefold.app",
                          "Type mismatch\r\nin Tinselmark2021/08/31.Form1.Form_Load at line 130\r\r"
                          "Please email screenshot of this message to support@mistlefold.app"}));
    QCOMPARE(form.partyDate(), Form1::initialPickerValue());
    QCOMPARE(form.partyTime(), Form1::initialPickerValue());
    QCOMPARE(form.text(3), QStringLiteral("WA"));
}

void Form1Test::everyEditIsStoredAtOnce()
{
    Form1 form;
    form.show();
    text1(form, 1)->setFocus();
    QTest::keyClicks(text1(form, 1), "No");
    QCOMPARE(stored("Text1_1"), QStringLiteral("No"));
    QTest::keyClick(text1(form, 1), Qt::Key_Backspace);
    QCOMPARE(stored("Text1_1"), QStringLiteral("N"));

    control<QDateTimeEdit>(form, "DateTimePicker1")->setDateTime(QDateTime(QDate(2026, 12, 24), QTime(0, 0)));
    QCOMPARE(stored("DateTimePicker1"), QStringLiteral("2026-12-24"));
    control<QDateTimeEdit>(form, "DateTimePicker2")->setDateTime(StoredDate::timeOnly(QTime(19, 30, 59)));
    QCOMPARE(stored("DateTimePicker2"), QStringLiteral("19:30:59"));
}

// The fields must not cut text at 32,767 characters, nor the restore write a cut value back unasked.
void Form1Test::longValueSurvivesARestartWhole()
{
    QString value;
    for (int number = 1; value.size() < 40000; ++number)
        value += QStringLiteral("%1 Elm Street, ").arg(number);
    value.truncate(40000);
    store("Text1_2", value);
    {
        Form1 form;
        form.show();
        QCOMPARE(form.text(2), value);
        QCOMPARE(stored("Text1_2"), value);
        text1(form, 2)->setFocus();
        QCoreApplication::processEvents(); // the focus selects the whole text
        text1(form, 2)->end(false);
        QTest::keyClick(text1(form, 2), Qt::Key_Z);
        QCOMPARE(stored("Text1_2"), value + "z");
    }
    Form1 restarted;
    QCOMPARE(restarted.text(2), value + "z");
    QVERIFY(boxes->shown.isEmpty());
}

void Form1Test::clearEmptiesTheTextsOnly()
{
    store("DateTimePicker1", "2026-12-24");
    store("DateTimePicker2", "19:30:00");
    Form1 form;
    for (int i = 0; i < 4; ++i)
        text1(form, i)->setText(QStringLiteral("value %1").arg(i));
    const QString dateText = stored("DateTimePicker1");

    control<QPushButton>(form, "PushButton3")->click();
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(form.text(i), QString());
        QCOMPARE(stored(Form1::textKey(i)), QString()); // empty, not absent
    }
    QCOMPARE(stored("DateTimePicker1"), dateText);
    QCOMPARE(form.partyDate(), QDateTime(QDate(2026, 12, 24), QTime(0, 0)));
    QVERIFY(boxes->shown.isEmpty());
}

void Form1Test::sampleDataSurvivesARestart()
{
    {
        Form1 form;
        control<QPushButton>(form, "PushButton4")->click();
    }
    Form1 restarted;
    QCOMPARE(restarted.text(0), QStringLiteral("Ilse and Bram Ketterly"));
    QCOMPARE(restarted.text(1), QStringLiteral("North Vellmont"));
    QCOMPARE(restarted.text(2), QStringLiteral("417 Larkspur Avenue"));
    QCOMPARE(restarted.text(3), QStringLiteral("WA"));
    QCOMPARE(restarted.partyDate(), Now);
    QCOMPARE(restarted.partyTime(), Now);
    QVERIFY(boxes->shown.isEmpty());
}

void Form1Test::focusSelectsAllText()
{
    Form1 form;
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    text1(form, 1)->setText("North Vellmont");
    text1(form, 2)->setFocus(Qt::MouseFocusReason);
    QTest::mouseClick(text1(form, 1), Qt::LeftButton, {}, QPoint(30, 10));
    QTRY_COMPARE(text1(form, 1)->selectedText(), QStringLiteral("North Vellmont"));
    QTest::keyClicks(text1(form, 1), "Yarrow");
    QCOMPARE(form.text(1), QStringLiteral("Yarrow"));
}

void Form1Test::webPageOpensOnlyOnSeven()
{
    {
        Form1 form; // 0.5 draws 51
    }
    QVERIFY(browser->opened.isEmpty());
    random->values = {0.06}; // draws 7
    Form1 form;
    QCOMPARE(browser->opened, QStringList{AppInfo::WebPage});
    QCOMPARE(random->seeds.size(), 2);
    QCOMPARE(random->seeds.last(), 19 * 3600 + 30 * 60 + 12.0); // seeded from the timer
}

void Form1Test::skinFile()
{
    QDir(programFolder()).mkpath("x");
    QFile skin(programFolder() + "/x/o.cjs");
    QVERIFY(skin.open(QIODevice::WriteOnly));
    skin.write("QPushButton { color: rgb(10, 90, 40); }");
    skin.close();
    {
        Form1 form;
        QVERIFY(boxes->shown.isEmpty());
        QCOMPARE(form.styleSheet(), QStringLiteral("QPushButton { color: rgb(10, 90, 40); }"));
        QCOMPARE(form.palette().color(QPalette::Window), buttonFaceColor());
        QCOMPARE(control<QLabel>(form, "Label2_1")->palette().color(QPalette::Window), buttonFaceColor());
        QCOMPARE(text1(form, 1)->palette().color(QPalette::Base), QColor(Qt::white)); // untouched
    }

    // A skin that cannot be parsed is reported at line 100; the colours stay, the skin does not.
    QVERIFY(skin.open(QIODevice::WriteOnly | QIODevice::Truncate));
    skin.write("QPushButton { color: ");
    skin.close();
    Form1 form;
    QCOMPARE(boxes->reports().size(), 1);
    QVERIFY(boxes->reports()[0].contains("Form1.Form_Load at line 100\r\r"));
    QCOMPARE(form.styleSheet(), QString());
    QCOMPARE(form.palette().color(QPalette::Window), buttonFaceColor());
    QCOMPARE(form.windowTitle(), QStringLiteral("Mistlefold")); // the sequence went on
}

void Form1Test::cursorFileGivesTheCustomPointerItsPicture()
{
    // A 32 x 32 cursor with its hot spot at (9, 3).
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::black);
    QByteArray ico;
    QBuffer buffer(&ico);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(image.save(&buffer, "ico"));
    ico[2] = 2;                   // type: cursor
    ico[6 + 4] = 9; ico[6 + 5] = 0; // hot spot x
    ico[6 + 6] = 3; ico[6 + 7] = 0; // hot spot y
    QFile file(AppInfo::cursorFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(ico);
    file.close();

    Form1 form;
    QVERIFY(boxes->shown.isEmpty());
    QVERIFY(form.hasMouseIcon());
    form.hoverButton();
    QCOMPARE(form.cursor().hotSpot(), QPoint(9, 3));
    QVERIFY(!form.cursor().pixmap().isNull());
}

void Form1Test::withoutEngineTheAdviceIsTheOnlyWindow_data()
{
    QTest::addColumn<bool>("registered");
    QTest::addColumn<QString>("atOnce"); // the cause the start tells at once
    QTest::addColumn<QString>("later");  // the cause the start in the background fails with
    QTest::addColumn<bool>("click");     // "Start Creating Template" pressed before it fails

    const QString missing = "The document engine is not installed: /usr/lib/libreoffice/program/soffice.bin is missing.";
    const QString exited = "The office ended while starting (exit status 1).";
    QTest::newRow("no engine registered") << false << QString() << QString() << false;
    QTest::newRow("told at once") << true << missing << QString() << false;
    QTest::newRow("start fails later") << true << QString() << exited << false;
    // The click waits for the start; its failure is told once, before the run's own statements
    // fail, and the run goes no further.
    QTest::newRow("start fails while a click waits") << true << QString() << exited << true;
}

void Form1Test::withoutEngineTheAdviceIsTheOnlyWindow()
{
    QFETCH(bool, registered);
    QFETCH(QString, atOnce);
    QFETCH(QString, later);
    QFETCH(bool, click);
    if (!registered)
        AutomationServers::unregisterServer(WordProgId);
    CountingEngine::causeAtOnce = atOnce;
    CountingEngine::causeLater = later;

    Form1 form;
    const bool toldAtOnce = later.isEmpty();
    QCOMPARE(Program::hasEnded(), toldAtOnce); // the window is never shown then
    if (!toldAtOnce) {
        form.show();
        if (click)
            control<QPushButton>(form, "PushButton6")->click();
        QTRY_VERIFY(Program::hasEnded());
        QTest::qWait(2 * CountingEngine::LaterMs); // the failure's news from the event loop adds nothing
    }

    QVERIFY(!form.isVisible());
    QVERIFY(!form.isBusy());
    QCOMPARE(boxes->shown.size(), 1);
    const QString cause = registered ? atOnce + later : QStringLiteral("Can't create object");
    QCOMPARE(boxes->shown[0].text, EngineAdvice(cause));
    QCOMPARE(boxes->shown[0].title, QStringLiteral("Mistlefold"));
    QCOMPARE(boxes->shown[0].icon, MessageBoxes::Icon::None);
    QCOMPARE(boxes->shown[0].buttons, MessageBoxes::Buttons::Ok);

    // The form: the error number, the cause in one line, then four numbered points with a blank
    // line before each, naming the packages to install and how to check them.
    const QStringList lines = boxes->shown[0].text.split("\r\n");
    QCOMPARE(lines.size(), 10);
    QVERIFY(lines[0].startsWith("Error 842001. "));
    QCOMPARE(lines[1], cause);
    for (int point = 1; point <= 4; ++point) {
        QCOMPARE(lines[2 * point], QString());
        QVERIFY(lines[2 * point + 1].startsWith(QString::number(point) + ". "));
    }
    for (const char *named : {"LibreOffice Writer", "libreoffice-writer-nogui", "libreoffice-draw-nogui", "dpkg -s"})
        QVERIFY2(boxes->shown[0].text.contains(QLatin1String(named)), named);
}

void Form1Test::closingEndsTheProgram()
{
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(!Program::hasEnded());
    form.close();
    QVERIFY(Program::hasEnded());
}

QTEST_MAIN(Form1Test)
#include "tst_form1.moc"
