#include "app/CTreeListDoc.h"
#include "app/FrameServices.h"
#include "pclog/qt/CLogDescriptorDialog.h"
#include "pclog/qt/LogDescriptorPrompt.h"
#include "support/DocProbe.h"
#include "support/EngineFakes.h"
#include "ui/sheets/DialogChecks.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The main window's part: the prompt shown through the dialog.
class PromptingFrame : public FrameServices {
public:
    void SetStatusText(const std::string&) override {}
    void AskLogDescriptor(CTreeListDoc& document, const std::string& previousText) override {
        ++asked;
        prompt.Ask(document, previousText);
    }
    LogDescriptorPrompt prompt{nullptr};
    int asked = 0;
};

// Farm 0 connected with one unit; its first logging cycle asks for the descriptor.
struct DescriptorPrompt : ::testing::Test, EngineFixture {
    DescriptorPrompt() { doc.SetFrameServices(&prompting); }
    ~DescriptorPrompt() override { doc.SetFrameServices(nullptr); }
    void ConnectAndAsk() {
        ConfigureUnits(doc.Farm(0), {1});
        doc.FarmConnect(0);
        for (int tick = 0; tick < 3 && prompting.asked == 0; ++tick) {
            doc.Timer1_Tick();
        }
    }
    PromptingFrame prompting;
};

} // namespace

TEST_F(DescriptorPrompt, OkGivesTheDocumentTheTypedLine) {
    ConnectAndAsk();
    CLogDescriptorDialog* dialog = prompting.prompt.OpenDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(DocProbe(doc).LogDescriptorPromptOpen());
    QApplication::processEvents();
    EXPECT_TRUE(uicheck::FocusIn(*dialog, dialog->Edit()));
    QTest::keyClicks(dialog->Edit(), "Charge 14, beech");
    QTest::keyClick(dialog->Edit(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(DocProbe(doc).LogDescriptor(), "Charge 14, beech");
    EXPECT_FALSE(DocProbe(doc).LogDescriptorPromptOpen());
    EXPECT_TRUE(DocProbe(doc).LogCycleActive());
    EXPECT_EQ(prompting.prompt.OpenDialog(), nullptr);
}

TEST_F(DescriptorPrompt, EscapeKeepsThePreviousTextAndAnswersOnce) {
    ConnectAndAsk();
    CLogDescriptorDialog* dialog = prompting.prompt.OpenDialog();
    ASSERT_NE(dialog, nullptr);
    // A second request while it is open brings the same dialog forward.
    prompting.prompt.Ask(doc, "other");
    EXPECT_EQ(prompting.prompt.OpenDialog(), dialog);
    QTest::keyClicks(dialog->Edit(), "typed");
    QTest::keyClick(dialog, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(DocProbe(doc).LogDescriptorPromptOpen());
    EXPECT_EQ(DocProbe(doc).LogDescriptor(), "");
    EXPECT_EQ(prompting.prompt.OpenDialog(), nullptr);
}

TEST(LogDescriptorDialog, PastedLineBreaksBecomeBlanks) {
    EXPECT_EQ(CLogDescriptorDialog::DescriptorLine("a\r\nb\nc"), "a  b c");
    EXPECT_EQ(CLogDescriptorDialog::DescriptorLine(QString::fromUtf8("Cámara 2")), "Cámara 2");
}

TEST(LogDescriptorDialog, SpanishTextsFitAndThePreviousTextIsOffered) {
    ScratchDirectory workDir;
    CTreeListDoc spanish(Language::Spanish, workDir.Path());
    CLogDescriptorDialog dialog(spanish, "Carga 3");
    auto* group = dialog.findChild<QGroupBox*>();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), "Apunte a Descriptor");
    EXPECT_EQ(dialog.OkButton()->text(), "BUENO");
    EXPECT_EQ(dialog.Edit()->text(), "Carga 3");
    EXPECT_EQ(dialog.Edit()->accessibleName(), "Apunte a Descriptor");
    uicheck::ExpectTextsFit(dialog);
    // No prompt of the document is open: closing it changes nothing there.
    dialog.reject();
    EXPECT_EQ(DocProbe(spanish).LogDescriptor(), "");
}

TEST_F(DescriptorPrompt, PromptEndedWithTheWindowAnswersNothing) {
    ConnectAndAsk();
    {
        LogDescriptorPrompt windowGoing(nullptr);
        windowGoing.Ask(doc, "x");
        ASSERT_NE(windowGoing.OpenDialog(), nullptr);
    }
    EXPECT_TRUE(DocProbe(doc).LogDescriptorPromptOpen()) << "no answer from a dialog taken down";
    QTest::keyClick(prompting.prompt.OpenDialog(), Qt::Key_Escape);
    EXPECT_FALSE(DocProbe(doc).LogDescriptorPromptOpen());
}
