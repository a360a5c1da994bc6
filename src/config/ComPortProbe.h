#pragma once

// Tells which of the ports COM1 to COM4 can be opened now. The real probe opens the devices;
// tests decide which ports exist.
class ComPortProbe {
public:
    virtual ~ComPortProbe() = default;
    // portNumber 1..4; true when the port exists and no other program holds it.
    virtual bool IsPortAvailable(int portNumber) = 0;
};
