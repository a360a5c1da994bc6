// Alarm annunciation. The speaker driver comes with the alarm tone work; until then the tone
// never sounds.

#include "app/CTreeListDoc.h"

void CTreeListDoc::AnnunciateAlarms() {}
