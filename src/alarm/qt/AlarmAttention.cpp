#include "alarm/qt/AlarmAttention.h"

#include <QApplication>

AlarmAttention::AlarmAttention(QWidget* window)
    : QObject(window), m_window(window), m_request([](QWidget* target, int milliseconds) {
          QApplication::alert(target, milliseconds);
      }) {}

void AlarmAttention::Update(bool toneSounding) {
    m_bAsking = toneSounding;
    if (toneSounding && m_window != nullptr && m_request) {
        m_request(m_window, kRequestMilliseconds);
    }
}
