#pragma once

// What the application has set on its end of a pseudo-terminal, read through the master.
namespace Sim {

struct LineSettings {
    int speed = 0; // bits per second
    bool hardwareFlow = false;
};

// False when the settings cannot be read (the master is gone).
bool readLineSettings(int ptyMaster, LineSettings* settings);

} // namespace Sim
