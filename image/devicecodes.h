#pragma once

// The panel's codes that the program acts on, as its records and tables hold them.
namespace DeviceCodes {

// Module types, one byte per module in the system block.
constexpr int NoModule = 0;
constexpr int LoopModule = 2; // "КЛМ"
constexpr int EightChannelModule = 3; // "КВ-8"

// Address chains of a module's loop.
constexpr int RingChain = 0;
constexpr int RadialChain = 1;
constexpr int EightChannelChain = 2; // has no name

// Channel types.
constexpr int SmokeChannel = 1;
constexpr int HeatChannel = 2; // the only channel with a heat class
constexpr int ManualChannel = 4;
constexpr int UnsupervisedOutput = 193; // a plain relay
constexpr int TagOutput = 195; // the outputs of an address tag
constexpr int ControlOutput = 196;

// Device types.
constexpr int TagDeviceType = 7; // an address tag's own outputs

// Output modes.
constexpr int FireMode = 0;
constexpr int NotificationMode = 2;

// The mode an output of `channelType` can have: a plain relay cannot notify.
constexpr int possibleOutputMode(int channelType, int mode)
{
    return channelType == UnsupervisedOutput && mode == NotificationMode ? FireMode : mode;
}

} // namespace DeviceCodes
