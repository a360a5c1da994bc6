#include "sheets/CPalettePage.h"

#include "app/CTreeListDoc.h"
#include "net/Frames.h"
#include "sheets/CSpinButton.h"
#include "widgets/UiText.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

// How often an open sheet asks whether it may still commit.
constexpr int kCommitBlockPollMs = 250;

QString FromStd(const std::string& text) {
    return QString::fromStdString(text);
}

// A label's text without its closing colon, as a screen reader names the value beside it.
QString NameOf(const QString& label) {
    QString name = label;
    if (name.endsWith(QLatin1Char(':'))) {
        name.chop(1);
    }
    return name.remove(QLatin1Char('&'));
}

QFrame* EtchedLine(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

CPalettePage::CPalettePage(CTreeListDoc& document, const SheetTicket& ticket,
                           bool startupScanComplete, std::uint8_t identificationCode,
                           const PaletteDisplayBlock& block, QWidget* parent)
    : QWidget(parent), m_document(document), m_ticket(ticket),
      m_state(document.GetLanguage(), startupScanComplete, identificationCode, block) {
    m_state.SetCommitBlock(document.SheetCommitBlock(ticket));
    auto* grid = new QGridLayout(this);
    int row = 0;
    const auto addValue = [&](int labelId, QLabel*& value) {
        auto* label = new QLabel(UiText(m_document.GetLanguage(), labelId), this);
        value = new QLabel(this);
        value->setAccessibleName(NameOf(label->text()));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(label, row, 0);
        grid->addWidget(value, row, 1, 1, 3);
        ++row;
    };
    addValue(IDS_LABEL_IDENTIFICATION_CODE, m_pIdentification);
    addValue(IDS_LABEL_HEATER_STATUS, m_pHeater);
    addValue(IDS_LABEL_HOURS, m_pHours);
    grid->addWidget(EtchedLine(this), row++, 0, 1, 4);
    for (std::size_t rtd = 0; rtd < m_pTemperature.size(); ++rtd) {
        m_pCaption[rtd] = new QLabel(this);
        m_pTemperature[rtd] = new QLabel(this);
        m_pTemperature[rtd]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(m_pCaption[rtd], row, 0);
        grid->addWidget(m_pTemperature[rtd], row, 1, 1, 3);
        ++row;
    }
    grid->addWidget(EtchedLine(this), row++, 0, 1, 4);

    auto* modeLabel =
        new QLabel(UiText(m_document.GetLanguage(), IDS_LABEL_OPERATIONAL_MODE), this);
    m_pMode = new QLineEdit(this);
    m_pMode->setReadOnly(true);
    m_pMode->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_pMode->setFocusPolicy(Qt::NoFocus);
    m_pMode->setAccessibleName(NameOf(modeLabel->text()));
    // The mode reads like the unit's own display: green on black.
    QPalette modePalette = m_pMode->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        modePalette.setColor(group, QPalette::Base, Qt::black);
        modePalette.setColor(group, QPalette::Window, Qt::black);
        modePalette.setColor(group, QPalette::Text, QColor(0, 255, 0));
    }
    m_pMode->setPalette(modePalette);
    // Wide enough for the longest mode text of either language.
    const QFontMetrics metrics(m_pMode->font());
    int widest = 0;
    for (const int id : {IDS_MODE_STANDBY, IDS_MODE_RUN, IDS_MODE_SETUP}) {
        for (const Language language : {Language::English, Language::Spanish}) {
            widest = qMax(widest, metrics.horizontalAdvance(UiText(language, id)));
        }
    }
    m_pMode->setMinimumWidth(widest + 4 * metrics.averageCharWidth());

    m_pSpin = new CSpinButton(this);
    m_pSpin->setAccessibleName(m_pMode->accessibleName());
    modeLabel->setBuddy(m_pSpin);
    m_pApply =
        new QPushButton(UiText(m_document.GetLanguage(), IDS_APPLY, IDS_SHEET_APPLY_ES), this);
    m_pApply->setAutoDefault(false);

    grid->addWidget(modeLabel, row, 0);
    grid->addWidget(m_pMode, row, 1);
    grid->addWidget(m_pSpin, row, 2);
    grid->addWidget(m_pApply, row, 3);
    ++row;
    // Why the switch is locked, or what became of the last commit, read by a screen reader
    // with the switch it explains.
    m_pReason = new QLabel(this);
    m_pReason->setTextFormat(Qt::PlainText);
    m_pReason->setAccessibleName(
        UiText(m_document.GetLanguage(), IDS_LABEL_OPERATIONAL_MODE).remove(QLatin1Char(':')));
    grid->addWidget(m_pReason, row, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row + 1, 1);
    setTabOrder(m_pSpin, m_pApply);

    connect(m_pSpin, &CSpinButton::stepped, this, [this](int) { OnSpin(); });
    connect(m_pApply, &QPushButton::clicked, this, &CPalettePage::OnApply);

    auto* poll = new QTimer(this);
    poll->setInterval(kCommitBlockPollMs);
    connect(poll, &QTimer::timeout, this, &CPalettePage::RefreshCommitBlock);
    poll->start();

    Render(PalettePageState::kEverything);
}

void CPalettePage::RefreshCommitBlock() {
    Render(m_state.SetCommitBlock(m_document.SheetCommitBlock(m_ticket)));
}

QString CPalettePage::Title() const {
    return UiText(m_document.GetLanguage(), IDS_OPERATION_PAGE_TITLE);
}

QLabel* CPalettePage::TemperatureValue(int rtd) const {
    return rtd >= 0 && rtd < 4 ? m_pTemperature[static_cast<std::size_t>(rtd)] : nullptr;
}

QLabel* CPalettePage::TemperatureCaption(int rtd) const {
    return rtd >= 0 && rtd < 4 ? m_pCaption[static_cast<std::size_t>(rtd)] : nullptr;
}

void CPalettePage::Render(unsigned fields) {
    if ((fields & PalettePageState::kIdentification) != 0) {
        m_pIdentification->setText(FromStd(m_state.IdentificationText()));
    }
    if ((fields & PalettePageState::kHeater) != 0) {
        m_pHeater->setText(FromStd(m_state.HeaterText()));
    }
    if ((fields & PalettePageState::kHours) != 0) {
        m_pHours->setText(FromStd(m_state.HoursText()));
    }
    if ((fields & PalettePageState::kCaptions) != 0) {
        for (int rtd = 0; rtd < 4; ++rtd) {
            const QString caption = FromStd(m_state.CaptionText(rtd));
            m_pCaption[static_cast<std::size_t>(rtd)]->setText(caption);
            m_pTemperature[static_cast<std::size_t>(rtd)]->setAccessibleName(NameOf(caption));
        }
    }
    for (int rtd = 0; rtd < 4; ++rtd) {
        if ((fields & (PalettePageState::kTemperature1 << rtd)) != 0) {
            m_pTemperature[static_cast<std::size_t>(rtd)]->setText(
                FromStd(m_state.TemperatureText(rtd)));
        }
    }
    if ((fields & PalettePageState::kMode) != 0) {
        m_pMode->setText(FromStd(m_state.ModeText()));
    }
    if ((fields & PalettePageState::kSpin) != 0) {
        m_pSpin->setEnabled(m_state.SpinEnabled());
    }
    if ((fields & PalettePageState::kApply) != 0) {
        m_pApply->setEnabled(m_state.ApplyEnabled());
    }
    if ((fields & PalettePageState::kReason) != 0) {
        m_pReason->setText(FromStd(m_state.ReasonText()));
    }
}

void CPalettePage::UpdateDynamic(const PaletteDisplayBlock& block) {
    RefreshCommitBlock();
    Render(m_state.UpdateDynamic(block));
}

void CPalettePage::nOTIFYoFsTATUS(int replyCode) {
    RefreshCommitBlock();
    Render(m_state.NotifyOfStatus(replyCode));
}

void CPalettePage::nOTIFYoFsTARTUPsCANsTATUS(int flag) {
    RefreshCommitBlock();
    Render(m_state.NotifyOfStartupScanStatus(flag != 0));
}

void CPalettePage::OnSpin() {
    RefreshCommitBlock();
    Render(m_state.ToggleMode());
}

void CPalettePage::OnApply() {
    // Asked again at the moment of sending: the farm may have gone since the last look.
    RefreshCommitBlock();
    const CommitBlock block = m_document.SheetCommitBlock(m_ticket);
    if (block != CommitBlock::None) {
        return;
    }
    if (const auto mode = m_state.Apply()) {
        Render(PalettePageState::kReason);
        // A commit the document would not queue never reaches the unit: the page says so as
        // it says so of one the scheduler gave up on.
        if (!m_document.ApplyFromSheet(m_ticket, *mode)) {
            Render(m_state.NotifyOfStatus(KVN_RPY_FAILURE));
        }
    }
}

void CPalettePage::Refresh(const KilnRecord& record) {
    UpdateDynamic(PaletteDisplayBlock::FromRecord(record));
}

void CPalettePage::NotifyOfStatus(int replyCode) {
    nOTIFYoFsTATUS(replyCode);
}

void CPalettePage::NotifyOfStartupScanStatus(bool startupScanComplete) {
    nOTIFYoFsTARTUPsCANsTATUS(startupScanComplete ? 1 : 0);
}
