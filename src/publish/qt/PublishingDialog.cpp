#include "publish/qt/PublishingDialog.h"

#include "app/StringTable.h"
#include "widgets/UiText.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <utility>

namespace {

constexpr int kLabels[PublishingDialog::kFieldCount] = {
    IDS_PUBLISHING_URL,           IDS_PUBLISHING_CLIENT_ID,    IDS_PUBLISHING_USER,
    IDS_PUBLISHING_PASSWORD_FILE, IDS_PUBLISHING_PASSWORD_ENV, IDS_PUBLISHING_CA_FILE,
    IDS_PUBLISHING_PREFIX,        IDS_PUBLISHING_SITE};

std::string* SettingOf(PublishConfig& config, int index) {
    std::string* fields[] = {&config.brokerUrl,    &config.clientId,    &config.userName,
                             &config.passwordFile, &config.passwordEnv, &config.caFile,
                             &config.prefix,       &config.site};
    return fields[index];
}

} // namespace

PublishingDialog::PublishingDialog(Language language, const PublishConfig& config,
                                   const QString& state, QWidget* parent)
    : QDialog(parent), m_language(language) {
    setObjectName(QStringLiteral("publishingDialog"));
    setWindowTitle(UiText(language, IDS_PUBLISHING_TITLE));
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(UiText(language, IDS_PUBLISHING_NOTE), this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* form = new QFormLayout;
    PublishConfig values = config;
    for (int i = 0; i < kFieldCount; ++i) {
        auto* edit = new QLineEdit(QString::fromStdString(*SettingOf(values, i)), this);
        const QString label = UiText(language, kLabels[i]);
        auto* caption = new QLabel(label + QLatin1Char(':'), this);
        caption->setBuddy(edit);
        QString name = label;
        name.remove(QLatin1Char('&'));
        edit->setAccessibleName(name);
        edit->setObjectName(QStringLiteral("publishingField%1").arg(i));
        form->addRow(caption, edit);
        m_fields[static_cast<std::size_t>(i)] = edit;
    }
    layout->addLayout(form);
    auto* stateLabel = new QLabel(UiText(language, IDS_PUBLISHING_STATE).arg(state), this);
    stateLabel->setObjectName(QStringLiteral("publishingState"));
    stateLabel->setWordWrap(true);
    layout->addWidget(stateLabel);
    m_pProblem = new QLabel(this);
    m_pProblem->setObjectName(QStringLiteral("publishingProblem"));
    m_pProblem->setWordWrap(true);
    m_pProblem->setTextFormat(Qt::PlainText);
    m_pProblem->setAccessibleName(UiText(language, IDS_PUBLISHING_TITLE));
    layout->addWidget(m_pProblem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    m_fields[0]->setFocus(Qt::OtherFocusReason);
}

PublishConfig PublishingDialog::Config() const {
    PublishConfig config;
    for (int i = 0; i < kFieldCount; ++i) {
        *SettingOf(config, i) =
            m_fields[static_cast<std::size_t>(i)]->text().trimmed().toStdString();
    }
    return config;
}

QString PublishingDialog::Problem() const {
    return m_pProblem->text();
}

void PublishingDialog::accept() {
    PublishConfig config = Config();
    std::string problem;
    std::string password;
    PublishConfig::Setting setting = PublishConfig::Setting::BrokerUrl;
    if (!config.Validate(problem, m_language, &setting) ||
        (config.Enabled() && !config.LoadPassword(password, problem, m_language, &setting))) {
        m_pProblem->setText(QString::fromStdString(problem));
        QLineEdit* field = m_fields[static_cast<std::size_t>(setting)];
        field->setFocus(Qt::OtherFocusReason);
        field->selectAll();
        return;
    }
    QDialog::accept();
}
