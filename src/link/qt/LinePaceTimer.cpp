#include "link/qt/LinePaceTimer.h"

#include "app/CTreeListDoc.h"

#include <algorithm>
#include <limits>

LinePaceTimer::LinePaceTimer(QObject* parent) : QObject(parent), m_timer(this) {
    m_timer.setSingleShot(true);
    // A coarse timer would add up to a twentieth of its interval to every exchange.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &LinePaceTimer::Step);
}

LinePaceTimer::~LinePaceTimer() {
    Attach(nullptr);
}

void LinePaceTimer::Attach(CTreeListDoc* document) {
    if (m_pDocument != nullptr) {
        m_pDocument->SetLineWake(nullptr);
    }
    m_pDocument = document;
    m_timer.stop();
    if (m_pDocument != nullptr) {
        // Replies arrive in the port's event, inside the document: re-arm after it returns.
        m_pDocument->SetLineWake([this] {
            QMetaObject::invokeMethod(this, &LinePaceTimer::Rearm, Qt::QueuedConnection);
        });
        Rearm();
    }
}

void LinePaceTimer::Rearm() {
    if (m_pDocument == nullptr) {
        return;
    }
    const std::int64_t due = m_pDocument->LineStepDueMs();
    if (due < 0) {
        m_timer.stop();
        return;
    }
    const std::int64_t now = m_pDocument->LineMs();
    const std::int64_t wait =
        std::clamp<std::int64_t>(due - now, 0, std::numeric_limits<int>::max());
    m_timer.start(static_cast<int>(wait));
}

void LinePaceTimer::Step() {
    if (m_pDocument == nullptr) {
        return;
    }
    m_pDocument->LineStep();
    Rearm();
}
