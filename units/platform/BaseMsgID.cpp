#include "units/platform/BaseMsgID.hpp"

#include <utility>

namespace CvUnitSys {

BaseMsgID::BaseMsgID(std::string key, std::vector<MsgArg> args)
    : args_(std::move(args)), key_(std::move(key)) {}

std::string BaseMsgID::getQualifiedId() const {
    return std::string(component) + ":" + key_;
}

} // namespace CvUnitSys
