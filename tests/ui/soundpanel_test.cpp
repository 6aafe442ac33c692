#include "audio/mediaplayer.h"
#include "formfixture.h"
#include "platform/session/programinfo.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class SoundPanel : public testing::Test {
protected:
    TFormUnderTest Window{TFormUnderTest::TStart::AsFirstInstance};
    TSVXForm& Form = *Window.Form;
    TFakeSoundServer& Sound = Window.Platform.Sound;

    QList<QWidget*> StartRow() const { return {Form.Beep1FileName, Form.ChBeep1, Form.Play1}; }
    QList<QWidget*> FinishRow() const { return {Form.Beep2FileName, Form.ChBeep2, Form.Play2}; }
};

TEST_F(SoundPanel, RowsAreUsableWhenTheirSoundIsOnAndWaveFilesAreTheSource) {
    // Every combination, reached from the one before, with the boxes set before the source
    // and after it.
    for (const bool sourceFirst : {false, true}) {
        for (QRadioButton* source : {Form.BeepWav, Form.BeepStd, Form.BeepPCSpk, Form.BeepWav}) {
            for (const bool beep1 : {true, false}) {
                for (const bool beep2 : {false, true}) {
                    SCOPED_TRACE(QStringLiteral("%1 %2 %3 %4")
                                     .arg(source->objectName())
                                     .arg(beep1)
                                     .arg(beep2)
                                     .arg(sourceFirst)
                                     .toStdString());
                    if (sourceFirst)
                        source->setChecked(true);
                    Form.OptBeep1->setChecked(beep1);
                    Form.OptBeep2->setChecked(beep2);
                    source->setChecked(true);
                    const bool wave = source == Form.BeepWav;
                    for (QWidget* control : StartRow())
                        EXPECT_EQ(control->isEnabled(), beep1 && wave)
                            << control->objectName().toStdString();
                    for (QWidget* control : FinishRow())
                        EXPECT_EQ(control->isEnabled(), beep2 && wave)
                            << control->objectName().toStdString();
                }
            }
        }
    }
}

TEST_F(SoundPanel, SaveEventsPlayTheChosenSourceAndFiles) {
    const struct {
        QRadioButton* Source;
        const char* Heard;
    } cases[] = {
        {Form.BeepStd, "bell bell"},
        {Form.BeepPCSpk, "beep beep"},
        {Form.BeepWav, "open:start.wav play:start.wav stop open:finish.wav play:finish.wav"},
    };
    Form.OptBeep1->setChecked(true);
    Form.OptBeep2->setChecked(true);
    Form.Beep1FileName->setText(QStringLiteral("start.wav"));
    Form.Beep2FileName->setText(QStringLiteral("finish.wav"));
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.Source->objectName().toStdString());
        entry.Source->setChecked(true);
        Sound.Log.clear();
        Form.PlayFeedbackSound(TFeedbackEvent::SaveStarted);
        Form.PlayFeedbackSound(TFeedbackEvent::SaveFinished);
        EXPECT_EQ(Sound.Log.join(QLatin1Char(' ')), QString::fromUtf8(entry.Heard));
        Form.MediaPlayer->Close();
    }
}

TEST_F(SoundPanel, TestButtonsPlayTheirFileOrSayItIsInvalid) {
    const struct {
        QToolButton* Button;
        const char* File;
        const char* Heard;
    } cases[] = {
        {Form.Play1, "start.wav", "open:start.wav play:start.wav"},
        {Form.Play2, "finish.wav", "open:finish.wav play:finish.wav"},
        {Form.Play1, "notes.txt", "bad:notes.txt"},
        {Form.Play2, "notes.txt", "bad:notes.txt"},
    };
    Sound.Unplayable = {QStringLiteral("notes.txt")};
    Form.BeepWav->setChecked(true);
    Form.OptBeep1->setChecked(true);
    Form.OptBeep2->setChecked(true);
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.File);
        Form.Beep1FileName->setText(QStringLiteral("start.wav"));
        Form.Beep2FileName->setText(QStringLiteral("finish.wav"));
        (entry.Button == Form.Play1 ? Form.Beep1FileName : Form.Beep2FileName)
            ->setText(QString::fromUtf8(entry.File));
        Form.MediaPlayer->Close();
        Sound.Log.clear();
        Window.Platform.Boxes.Shown.clear();
        entry.Button->click();
        EXPECT_EQ(Sound.Log.join(QLatin1Char(' ')), QString::fromUtf8(entry.Heard));
        const bool invalid = QByteArray(entry.Heard).startsWith("bad:");
        ASSERT_EQ(Window.Platform.Boxes.Shown.size(), invalid ? 1 : 0);
        if (invalid) {
            const TBoxRequest& box = Window.Platform.Boxes.Shown.first();
            EXPECT_EQ(box.Text, QStringLiteral("Invalid wav file specified"));
            EXPECT_EQ(box.Caption, QStringLiteral("Cannot play sound"));
            EXPECT_EQ(box.Icon, TBoxIcon::Warning);
            EXPECT_EQ(box.Buttons, TBoxButtons::Ok);
            EXPECT_EQ(box.Owner, &Form);
        }
    }
}

TEST_F(SoundPanel, ChooserStartsInTheProgramFolderAndFillsItsRow) {
    const QString chosen = QDir(Window.Folder()).filePath(QStringLiteral("chosen.wav"));
    ASSERT_TRUE(Touch(chosen));
    const struct {
        QPushButton* Button;
        bool Confirm;
        QString Start, Finish;
    } cases[] = {
        {Form.ChBeep1, true, chosen, QStringLiteral("click.wav")},
        {Form.ChBeep2, true, QStringLiteral("beep.wav"), chosen},
        {Form.ChBeep1, false, QStringLiteral("beep.wav"), QStringLiteral("click.wav")},
    };
    Form.BeepWav->setChecked(true);
    Form.OptBeep1->setChecked(true);
    Form.OptBeep2->setChecked(true);
    // The window works elsewhere than where the program lies (a test binary has no installed
    // data folder of its own: made here, it is the folder the dialog must open in).
    QDir().mkpath(ProgramFolder());
    ASSERT_NE(QDir::current(), QDir(ProgramFolder()));
    // A file dialog's folder model watches its folder: none may outlive the choice.
    const auto noFolderModel = [&] {
        return Form.findChildren<QFileDialog*>().isEmpty() &&
               Form.findChildren<QFileSystemModel*>().isEmpty();
    };
    EXPECT_TRUE(noFolderModel());
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.Button->objectName().toStdString());
        Form.Beep1FileName->setText(QStringLiteral("beep.wav"));
        Form.Beep2FileName->setText(QStringLiteral("click.wav"));
        // Answers the dialog once it shows.
        QString shownIn;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (!Form.OpenDialog->isVisible())
                return;
            answer.stop();
            shownIn = Form.OpenDialog->directory().absolutePath();
            if (entry.Confirm) {
                // As a user does: the full path typed into the name field.
                auto* name = Form.OpenDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                if (name == nullptr) {
                    ADD_FAILURE() << "the dialog has no name field";
                    Form.OpenDialog->reject();
                    return;
                }
                name->setText(chosen);
                // QFileDialog's own accept takes the selection; only QDialog's is public.
                static_cast<QDialog*>(Form.OpenDialog)->accept();
            } else {
                Form.OpenDialog->reject();
            }
        });
        answer.start(5);
        entry.Button->click();
        EXPECT_EQ(QDir(shownIn), QDir(ProgramFolder()));
        EXPECT_EQ(Form.Beep1FileName->text(), entry.Start);
        EXPECT_EQ(Form.Beep2FileName->text(), entry.Finish);
        EXPECT_TRUE(noFolderModel());
    }
}

} // namespace
