#include "sim/uhf_module.h"

#include "sim/uhf_frame.h"

namespace sim {

namespace {

constexpr std::uint8_t kErrorCommand = 0xFF;

} // namespace

// No tag is in the field yet, so every Gen2 tag command finds nobody to answer.
const UhfModule::Command UhfModule::kCommands[] = {
    {0x22, &UhfModule::noTagInField}, // single inventory
    {0x0C, &UhfModule::noTagInField}, // select
    {0x39, &UhfModule::noTagInField}, // read memory
    {0x49, &UhfModule::noTagInField}, // write memory
};

Bytes UhfModule::answer(const Bytes& frame) {
    const auto request = UhfFrame::parse(frame);
    if (!request || request->type != UhfFrame::kCommand)
        return errorResponse(kBadCommand);
    for (const Command& command : kCommands)
        if (command.code == request->command)
            return (this->*command.run)(request->parameters);
    return errorResponse(kBadCommand);
}

Bytes UhfModule::noTagInField(const Bytes&) {
    return errorResponse(kNoTagAnswered);
}

Bytes UhfModule::errorResponse(std::uint8_t code) {
    return UhfFrame::build(UhfFrame::kResponse, kErrorCommand, {code});
}

} // namespace sim
