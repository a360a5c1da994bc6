#pragma once

#include "config/ComPortProbe.h"

// Probes the device each port stands for (ComPortDevicePath): it must open for reading and
// writing without becoming the controlling terminal or waiting for a carrier, be a terminal,
// and take an exclusive hold, which fails while another program holds the port. The device is
// released again at once.
class DeviceComPortProbe : public ComPortProbe {
public:
    bool IsPortAvailable(int portNumber) override;
};
