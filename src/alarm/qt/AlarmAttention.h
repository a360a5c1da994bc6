#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

// Makes the alarm seen as well as heard: while the document's tone sounds, the main window asks
// for the operator's attention (taskbar entry flashing or marked, as the desktop shows it).
// Each request lasts a little longer than a tick and is renewed every tick, so the request
// lapses on its own soon after the tone stops; there is no call to withdraw one.
class AlarmAttention : public QObject {
    Q_OBJECT
public:
    // How long one request lasts: a tick and a half.
    static constexpr int kRequestMilliseconds = 1500;

    using Request = std::function<void(QWidget* window, int milliseconds)>;

    // Parented to the window it asks for.
    explicit AlarmAttention(QWidget* window);

    // The main frame calls this on every tick with the document's ToneSounding().
    void Update(bool toneSounding);

    bool Asking() const { return m_bAsking; }

    // Replaces QApplication::alert, for tests.
    void SetRequest(Request request) { m_request = std::move(request); }

private:
    QPointer<QWidget> m_window;
    Request m_request;
    bool m_bAsking = false;
};
