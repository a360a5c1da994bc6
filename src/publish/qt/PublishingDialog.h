#pragma once

#include "app/Language.h"
#include "publish/PublishConfig.h"

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;

// The publishing settings of the program: the broker, the login, TLS and the topics. OK checks
// them and keeps the dialog open with the reason and the field at fault when they cannot be
// used; the caller stores the accepted settings and starts publishing again with them.
class PublishingDialog : public QDialog {
    Q_OBJECT

public:
    // state: how publishing stands now, shown under the fields.
    PublishingDialog(Language language, const PublishConfig& config, const QString& state,
                     QWidget* parent = nullptr);

    // The settings as the fields hold them.
    PublishConfig Config() const;
    QLineEdit* Field(int index) const { return m_fields[static_cast<std::size_t>(index)]; }
    QString Problem() const;

    static constexpr int kFieldCount = 8;

public slots:
    void accept() override;

private:
    Language m_language;
    std::array<QLineEdit*, kFieldCount> m_fields{};
    QLabel* m_pProblem = nullptr;
};
