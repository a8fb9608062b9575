// CastConnectionState: the state of a receiver connection and of an application connection on it.
#pragma once

namespace movra {

enum class CastConnectionState {
    Disconnected = 0,   // nothing open
    Connecting = 1,     // asked for, not answered yet
    Connected = 2,      // open and usable
    Disconnecting = 3,  // being closed
};

}  // namespace movra
