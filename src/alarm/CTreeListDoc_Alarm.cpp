// The alarm tone: it sounds while annunciation is on and any unit of the farm reports an
// alarm. The speaker is switched only on a change, so a sounding tone is never re-triggered.

#include "app/CTreeListDoc.h"

void CTreeListDoc::SetUpAlarmTone() {
    m_alarm.m_speaker.SetFrequency(static_cast<std::int32_t>(m_settings.m_dwAlarmToneFrequency));
    // Whatever state an earlier run left the speaker in, the program starts silent.
    m_alarm.m_speaker.Sound(false);
}

void CTreeListDoc::AnnunciateAlarms() {
    const bool wanted = m_settings.m_bAnnunciationOn != 0 && AnyAlarm() && !m_alarm.m_bAcknowledged;
    if (wanted && m_alarm.m_iToneSounding == 0) {
        m_alarm.m_speaker.Sound(true);
        m_alarm.m_iToneSounding = 1;
    } else if (!wanted && m_alarm.m_iToneSounding == 1) {
        m_alarm.m_speaker.Sound(false);
        m_alarm.m_iToneSounding = 0;
    }
}

void CTreeListDoc::SilenceAlarmTone() {
    if (m_alarm.m_iToneSounding == 1) {
        m_alarm.m_speaker.Sound(false);
        m_alarm.m_iToneSounding = 0;
    }
}

void CTreeListDoc::SetAlarmsAcknowledged(bool acknowledged) {
    m_alarm.m_bAcknowledged = acknowledged;
    // Silence at once, as the operator expects of the command; a new alarm sounds at the tick.
    if (acknowledged) {
        SilenceAlarmTone();
    }
}
