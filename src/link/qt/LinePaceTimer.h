#pragma once

#include <QObject>
#include <QTimer>

class CTreeListDoc;

// Runs the document's line steps on time for a farm at the line pace: a single-shot timer armed
// for the step the document says is due next, again after each step, each tick (Rearm) and each
// reply that moved the step earlier. At the tick pace it stays idle.
class LinePaceTimer : public QObject {
    Q_OBJECT

public:
    explicit LinePaceTimer(QObject* parent = nullptr);
    ~LinePaceTimer() override;

    // The document whose steps it runs; nullptr detaches it (before the document goes).
    void Attach(CTreeListDoc* document);
    // Arms the timer for the next step, or stops it when none is due.
    void Rearm();

private:
    void Step();

    CTreeListDoc* m_pDocument = nullptr;
    QTimer m_timer;
};
