#pragma once

#include "units/platform/BaseMsgID.hpp"
#include "units/platform/IException.hpp"

#include <span>
#include <string_view>

namespace CvUnitSys {

// One message the library can raise: its key and the kinds of its arguments,
// one letter per argument in order: 's' UTF-16 text, 'i' integer.
struct UnitMessage {
    std::string_view key;
    std::string_view argKinds;
};

// Every message of the component "CorvaneTypes:Unit".
std::span<const UnitMessage> unitMessageTable();

// The message of a key, or nullptr when the library has no such message.
const UnitMessage* findUnitMessage(std::string_view key);

// Builds the record of a message; a key that does not exist or arguments that
// do not match the message are programming errors (std::logic_error).
BaseMsgID makeUnitMsgID(std::string_view key, std::vector<MsgArg> args = {});

// Builds the record and throws it as the host's user exception.
[[noreturn]] void throwUnitMsg(std::string_view key, std::vector<MsgArg> args = {});
// The same, with the diagnostic of `cause` attached to the message's item.
[[noreturn]] void throwUnitMsgWithCause(std::string_view key, std::vector<MsgArg> args,
                                        const IException& cause);

} // namespace CvUnitSys
