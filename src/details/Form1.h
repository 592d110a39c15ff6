#pragma once

#include "details/PartySettings.h"
#include "generation/Generation.h"
#include "generation/PartyDetails.h"
#include "shell/Window.h"

#include <QMap>

#include <array>
#include <memory>

class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Form2;

// The main window: the six party details in the frame "Party Data", and the commands "Start
// Creating Template", "Clear/Reset Data" and "Load Sample/Example Data". Every edit of a field is
// stored at once; constructing the window runs its start-up sequence.
class Form1 : public Window, public PartyDetails, private GenerationHandOver
{
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // PartyDetails, read live from the fields.
    QString tag(int index) const override;
    QString text(int index) const override;
    QDateTime partyDate() const override;
    QDateTime partyTime() const override;

    // The settings store's section and keys of the fields.
    static QString textKey(int index);
    static const QString DateKey;
    static const QString TimeKey;

    // The design's initial picker value, shown only when restoring a picker fails.
    static QDateTime initialPickerValue();

    // True while a generation runs.
    bool isBusy() const { return mBusy; }
    // The preview window once a generation has loaded it, otherwise nullptr.
    Form2 *preview() const { return mForm2.get(); }

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void Form_Load();
    void ApplySkinFile();
    void Text1_Change(int index);

    // The date-changed and time-changed operations: store the picker's value.
    void DateTimePicker1_Change();
    void DateTimePicker2_Change();

    // The commands of the three buttons.
    void PushButton3_Click();
    void PushButton4_Click();
    void PushButton6_Click();

    // GenerationHandOver: the pipeline's hand-over to this window and the preview window.
    void setMainWindowPointer(int pointer) override;
    void setPreviewPicture(const QImage &picture) override;
    void setPreviewDocument(const QString &documentPath) override;
    void setPreviewText(const QStringList &values) override;
    void showPreview() override;
    void hideMainWindow() override;
    void setSharperPreviewPicture(const QImage &picture, const QString &documentPath) override;
    void tellTooLong(const QStringList &fields) override;

    // The preview window, created (and loaded) on first use.
    Form2 &form2();

    // The controls, named as in the window design; each also carries its name as objectName.
    std::array<QLineEdit *, TextFieldCount> Text1{};
    QDateTimeEdit *DateTimePicker1 = nullptr;
    QDateTimeEdit *DateTimePicker2 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QMap<int, QLabel *> Label2;
    QPushButton *PushButton6 = nullptr;
    QPushButton *PushButton3 = nullptr;
    QPushButton *PushButton4 = nullptr;

    // True while a generation runs: a second click meanwhile does nothing.
    bool mBusy = false;
    // The fields' keys in the settings store.
    PartySettings mSettings{*this};
    std::unique_ptr<Form2> mForm2;
};
