#include "config/qt/CFP_GeneralPage.h"

#include "app/CTreeListDoc.h"
#include "sheets/CSpinButton.h"
#include "widgets/UiText.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// The phone edit takes as many characters as the dialog always allowed.
constexpr int kPhoneEditCharacters = 20;

QString NameOf(QString label) {
    label.remove(QLatin1Char('&'));
    if (label.endsWith(QLatin1Char(':'))) {
        label.chop(1);
    }
    return label;
}

void SetLabelColours(QLabel* label, const QColor& text, const QColor& background) {
    QPalette palette = label->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, background);
        palette.setColor(group, QPalette::WindowText, text);
    }
    label->setPalette(palette);
}

} // namespace

CFP_GeneralPage::CFP_GeneralPage(CTreeListDoc& document, const FarmParameters& parameters,
                                 QWidget* parent)
    : QWidget(parent), m_document(document), m_state(parameters, [&document] {
          std::array<std::int32_t, 4> ports{};
          document.GetComPortAvailable(ports);
          return ports;
      }()) {
    const Language language = document.GetLanguage();
    // Two labels take a colon after their Spanish text.
    const QString colon = language == Language::Spanish ? QStringLiteral(":") : QString();

    auto* connection =
        new QGroupBox(UiText(language, IDS_CONNECTION_TYPE, IDS_CONNECTION_TYPE_ES), this);
    auto* connectionLayout = new QVBoxLayout(connection);
    const int radioTexts[3][2] = {{IDS_LOCAL, IDS_LOCAL_ES},
                                  {IDS_LOCAL_WITH_MODEM, IDS_LOCAL_WITH_MODEM_ES},
                                  {IDS_REMOTE_WITH_MODEM, IDS_REMOTE_WITH_MODEM_ES}};
    for (int type = 0; type < 3; ++type) {
        auto*& radio = m_pRadio[static_cast<std::size_t>(type)];
        radio = new QRadioButton(UiText(language, radioTexts[type][0], radioTexts[type][1]),
                                 connection);
        radio->setAccessibleName(NameOf(radio->text()));
        connectionLayout->addWidget(radio);
        // toggled, not clicked: a screen reader's toggle action and a change made in code
        // must take effect as a click does.
        connect(radio, &QRadioButton::toggled, this, [this, type](bool checked) {
            if (checked) {
                OnRadio(type);
            }
        });
    }

    auto* dialup = new QGroupBox(UiText(language, IDS_DIALING, IDS_DIALING_ES), this);
    auto* dialupLayout = new QGridLayout(dialup);
    m_pPhoneLabel =
        new QLabel(UiText(language, IDS_PHONE_NUMBER, IDS_PHONE_NUMBER_ES) + colon, dialup);
    m_pPhone = new QLineEdit(dialup);
    m_pPhoneLabel->setBuddy(m_pPhone);
    m_pPhone->setAccessibleName(NameOf(m_pPhoneLabel->text()));
    dialupLayout->addWidget(m_pPhoneLabel, 0, 0);
    dialupLayout->addWidget(m_pPhone, 0, 1);
    connect(m_pPhone, &QLineEdit::textEdited, this, &CFP_GeneralPage::OnPhoneEdited);

    auto* startup = new QGroupBox(UiText(language, IDS_STARTUP, IDS_STARTUP_ES), this);
    auto* startupLayout = new QVBoxLayout(startup);
    m_pStartup =
        new QCheckBox(UiText(language, IDS_CONNECT_ON_STARTUP, IDS_CONNECT_ON_STARTUP_ES), startup);
    m_pStartup->setAccessibleName(NameOf(m_pStartup->text()));
    startupLayout->addWidget(m_pStartup);
    connect(m_pStartup, &QCheckBox::toggled, this, &CFP_GeneralPage::OnStartupToggled);

    auto* serial = new QGroupBox(UiText(language, IDS_SERIAL_PORT, IDS_SERIAL_PORT_ES), this);
    auto* serialLayout = new QHBoxLayout(serial);
    auto* portLabel =
        new QLabel(UiText(language, IDS_SERIAL_PORT_NAME, IDS_SERIAL_PORT_ES) + colon, serial);
    m_pPortName = new QLabel(serial);
    m_pPortName->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pPortName->setAlignment(Qt::AlignCenter);
    m_pPortName->setAutoFillBackground(true);
    m_pPortName->setMinimumWidth(
        m_pPortName->fontMetrics().horizontalAdvance(QStringLiteral(" COM44 ")));
    m_pPortName->setAccessibleName(NameOf(portLabel->text()));
    m_pSpin = new CSpinButton(serial);
    m_pSpin->setAccessibleName(NameOf(portLabel->text()));
    portLabel->setBuddy(m_pSpin);
    serialLayout->addWidget(portLabel);
    serialLayout->addWidget(m_pPortName);
    serialLayout->addWidget(m_pSpin);
    serialLayout->addStretch(1);
    connect(m_pSpin, &CSpinButton::stepped, this, &CFP_GeneralPage::OnSpin);

    m_pMessage = new QLabel(this);
    m_pMessage->setWordWrap(true);
    m_pMessage->setVisible(false);
    SetLabelColours(m_pMessage, QColor(160, 0, 0), palette().color(QPalette::Window));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(connection);
    layout->addWidget(dialup);
    layout->addWidget(startup);
    layout->addWidget(serial);
    layout->addWidget(m_pMessage);
    layout->addStretch(1);

    setTabOrder(m_pRadio[0], m_pRadio[1]);
    setTabOrder(m_pRadio[1], m_pRadio[2]);
    setTabOrder(m_pRadio[2], m_pPhone);
    setTabOrder(m_pPhone, m_pStartup);
    setTabOrder(m_pStartup, m_pSpin);

    // The controls show the working copy.
    const int type = m_state.ConnectionType();
    if (type >= 0 && type < 3) {
        m_pRadio[static_cast<std::size_t>(type)]->setChecked(true);
    }
    const QString phone = QString::fromStdString(m_state.Working().m_strPhoneNumber);
    // A longer number stored from elsewhere is shown whole, never cut silently.
    m_pPhone->setMaxLength(qMax(kPhoneEditCharacters, static_cast<int>(phone.size())));
    m_pPhone->setText(phone);
    m_pPhone->setEnabled(m_state.PhoneEditEnabled());
    m_pStartup->setChecked(m_state.ConnectOnStartup());
    SetLabelColours(m_pPortName, QColor(0, 255, 0), Qt::black);
    m_pPortName->setText(QString::fromStdString(m_state.PortText()));
    m_pSpin->setEnabled(m_state.SpinEnabled());

    if (m_state.ReadOnly()) {
        m_pPhoneLabel->setEnabled(false);
        for (QRadioButton* radio : m_pRadio) {
            radio->setEnabled(false);
        }
        m_pPhone->setEnabled(false);
        m_pStartup->setEnabled(false);
        m_pSpin->setEnabled(false);
        m_pPortName->setEnabled(false);
        SetLabelColours(m_pPortName, QColor(128, 128, 128), QColor(192, 192, 192));
        m_document.ZRM_Query1_Query();
        m_bStartedStationQuery = true;
    } else {
        PhoneCheck();
    }
}

QString CFP_GeneralPage::Title() const {
    return UiText(m_document.GetLanguage(), IDS_GENERAL_PAGE_TITLE, IDS_GENERAL_PAGE_TITLE_ES);
}

QString CFP_GeneralPage::Message() const {
    return m_pMessage->isHidden() ? QString() : m_pMessage->text();
}

QRadioButton* CFP_GeneralPage::Radio(int type) const {
    return type >= 0 && type < 3 ? m_pRadio[static_cast<std::size_t>(type)] : nullptr;
}

QWidget* CFP_GeneralPage::FirstField() const {
    const int type = m_state.ConnectionType();
    QRadioButton* checked = Radio(type);
    return checked != nullptr ? checked : m_pRadio[0];
}

void CFP_GeneralPage::ShowMessage(const QString& message) {
    m_pMessage->setText(message);
    m_pMessage->setHidden(message.isEmpty());
}

void CFP_GeneralPage::PhoneCheck() {
    if (m_state.PhoneNumberFits()) {
        ShowMessage(QString());
        return;
    }
    ShowMessage(UiText(m_document.GetLanguage(), IDS_PHONE_NUMBER_TOO_LONG)
                    .replace(QStringLiteral("%d"),
                             QString::number(GeneralPageState::MaxPhoneNumberLength())));
}

void CFP_GeneralPage::Edited(bool modified) {
    emit modifiedChanged(modified);
}

void CFP_GeneralPage::OnRadio(int type) {
    // The controls being set from the working copy are no edit.
    if (type == m_state.ConnectionType()) {
        return;
    }
    const bool modified = m_state.SelectConnectionType(type);
    m_pPhone->setEnabled(m_state.PhoneEditEnabled());
    Edited(modified);
}

void CFP_GeneralPage::OnPhoneEdited(const QString& text) {
    const bool modified = m_state.SetPhoneNumber(text.toStdString());
    PhoneCheck();
    Edited(modified);
}

void CFP_GeneralPage::OnStartupToggled(bool checked) {
    if (checked == m_state.ConnectOnStartup()) {
        return;
    }
    Edited(m_state.ToggleConnectOnStartup());
}

void CFP_GeneralPage::OnSpin(int steps) {
    // The up arrow moves to higher port numbers: the control's delta is the negated step.
    if (m_state.StepSerialPort(-steps) == GeneralPageState::PortStep::NoPortAvailable) {
        ShowMessage(UiText(m_document.GetLanguage(), IDS_NO_SERIAL_PORT));
    } else if (m_state.PhoneNumberFits()) {
        ShowMessage(QString());
    }
    m_pPortName->setText(QString::fromStdString(m_state.PortText()));
    Edited(m_state.Modified());
}

bool CFP_GeneralPage::OnApply() {
    FarmParameters parameters;
    if (!m_state.ParametersToApply(parameters)) {
        PhoneCheck();
        m_pPhone->setFocus(Qt::OtherFocusReason);
        return false;
    }
    Edited(m_state.Applied(m_document.PutFarmParameters(parameters)));
    return true;
}
