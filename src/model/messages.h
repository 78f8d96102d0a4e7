// Entries of the message table (Session::messages, loaded from the message
// file, one text per line, numbered from 1) that the program uses by number.
#pragma once

namespace kdv::model {

inline constexpr int kMessageCjSensorUnknown = 16;  // "  CJ sensor (?)"
// The open-circuit drive settings 0..2 in order: Upscale, Downscale, Off.
inline constexpr int kMessageDriveUpscale = 27;
// The parity settings 0..2 in order: None, Odd, Even.
inline constexpr int kMessageParityNone = 31;
inline constexpr int kMessageParityOdd = 32;
inline constexpr int kMessageParityEven = 33;
inline constexpr int kMessageOnline = 36;
inline constexpr int kMessageOffline = 37;
inline constexpr int kMessageCjTemp = 39;
inline constexpr int kMessageEldInput = 40;
inline constexpr int kMessageHighway = 41;
inline constexpr int kMessageAlarm = 42;
inline constexpr int kMessageAlarmHigh = 43;
inline constexpr int kMessageAlarmLow = 44;
inline constexpr int kMessageHealthy = 45;
inline constexpr int kMessageFailed = 46;
inline constexpr int kMessageEldInactive = 47;
inline constexpr int kMessageEldActive = 48;
inline constexpr int kMessageMenuKeys = 52;  // " Up/Down Enter Esc "
inline constexpr int kMessageWorking = 53;
inline constexpr int kMessageHandHeldInactive = 56;
inline constexpr int kMessageHandHeldActive = 57;
inline constexpr int kMessageNotAvailable = 95;  // "    N/A"
inline constexpr int kMessageExitProgram = 96;   // " Exit program (Y/N)"
inline constexpr int kMessageCjSensor = 97;
inline constexpr int kMessageNotApplicable = 98;

}  // namespace kdv::model
