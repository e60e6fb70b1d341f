#pragma once

#include "units/platform/MsgArg.hpp"

#include <string>
#include <vector>

namespace CvUnitSys {

// A message identifier with its arguments, in the order the message expects them.
class BaseMsgID {
public:
    static constexpr const char* component = "CorvaneTypes:Unit";

    BaseMsgID(std::string key, std::vector<MsgArg> args);

    const std::vector<MsgArg>& getArgs() const { return args_; }
    const std::string& getKey() const { return key_; }
    std::string getComponent() const { return component; }
    // "CorvaneTypes:Unit:<key>"
    std::string getQualifiedId() const;

    bool operator==(const BaseMsgID& other) const = default;

private:
    std::vector<MsgArg> args_;
    std::string key_;
};

} // namespace CvUnitSys
