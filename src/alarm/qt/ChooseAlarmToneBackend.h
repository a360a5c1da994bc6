#pragma once

#include "alarm/AlarmToneRoute.h"
#include "alarm/SpeakerBackend.h"

#include <memory>

// Finds how the alarm tone can reach the operator on this machine and makes the backend for
// it: the PC speaker where the kernel lists one and this user may reach it, else the default
// sound card output, else none (a backend that does nothing). Never null. The choice
// is written once to standard error, "kilnwatch: alarm tone: sound card". Called once at
// start-up, once the application object exists and before the document that will use the
// backend; the backend must go after the document and before the application object.
std::unique_ptr<SpeakerBackend> ChooseAlarmToneBackend(AlarmToneRoute& chosen);
