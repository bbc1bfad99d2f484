#include "tools/simblock/Items.h"

#include "panel/PedestalStatus.h"
#include "tools/simblock/FieldCatalogue.h"

namespace simblock {
namespace {

std::string Join(const auto& values, auto format) {
    std::string text;
    for (const auto& value : values)
        text += (text.empty() ? "" : " ") + format(value);
    return text;
}

std::string Integer(std::int64_t value) {
    return std::to_string(value);
}

std::string SpeedBrakeShown(const PedestalView& v) {
    const std::string_view name = SpeedBrakeName(v.speedBrakeLever);
    if (name.empty())
        return "neither in nor out";
    return PedestalStatus::SpeedBrakeText(name == "in");
}

void FlapsJson(const PedestalView& v, JsonWriter& out) {
    out.BeginObject().Key("detent");
    if (v.flapDetent)
        out.String(FlapName(*v.flapDetent));
    else
        out.Null();
    out.Key("flapLever").BeginArray();
    for (const auto flag : v.flapFlags)
        out.Integer(flag);
    out.EndArray().EndObject();
}

void ThrustJson(const PedestalView& v, JsonWriter& out) {
    out.BeginObject().Key("detent").String(ThrustShown(v)).Key("state").Integer(v.thrustState);
    out.Key("thrustLever").BeginArray().Number(v.thrust1).Number(v.thrust2).EndArray();
    out.EndObject();
}

void GearJson(const PedestalView& v, JsonWriter& out) {
    out.BeginObject().Key("position").String(v.gearLeverUp != 0 ? "up" : "down");
    out.Key("gearLeverUp").Integer(v.gearLeverUp);
    out.Key("gearUpSelected").Integer(v.gearUpSelected);
    out.Key("gearDownSelected").Integer(v.gearDownSelected).EndObject();
}

void BrakesJson(const PedestalView& v, JsonWriter& out) {
    out.BeginObject().Key("state").String(v.brakesSet ? "on" : "off");
    out.Key("brakeDemand").BeginArray();
    for (const double demand : v.brakeDemand)
        out.Number(demand);
    out.EndArray().EndObject();
}

void SpeedBrakeJson(const PedestalView& v, JsonWriter& out) {
    const std::string_view name = SpeedBrakeName(v.speedBrakeLever);
    out.BeginObject().Key("position");
    if (name.empty())
        out.Null();
    else
        out.String(name);
    out.Key("speedBrakeLever").Integer(v.speedBrakeLever).EndObject();
}

const Item kItems[] = {
    {"flaps", FlapShown,
     [](const PedestalView& v) { return "flapLever " + Join(v.flapFlags, Integer); }, FlapsJson},
    {"thrust", ThrustShown,
     [](const PedestalView& v) {
         return "thrustLever " + FormatDouble(v.thrust1) + " " + FormatDouble(v.thrust2) + " %";
     },
     ThrustJson},
    {"gear", GearShown,
     [](const PedestalView& v) {
         return "gearLeverUp " + Integer(v.gearLeverUp) + ", gearUpSelected " +
                Integer(v.gearUpSelected) + ", gearDownSelected " + Integer(v.gearDownSelected);
     },
     GearJson},
    {"brakes", BrakesShown,
     [](const PedestalView& v) { return "brakeDemand " + Join(v.brakeDemand, FormatDouble); },
     BrakesJson},
    {"speedbrake", SpeedBrakeShown,
     [](const PedestalView& v) { return "speedBrakeLever " + Integer(v.speedBrakeLever); },
     SpeedBrakeJson},
    {"heartbeat", [](const PedestalView& v) { return Integer(v.heartbeat); },
     [](const PedestalView&) { return std::string("aidControlsHeartbeat"); },
     [](const PedestalView& v, JsonWriter& out) { out.Integer(v.heartbeat); }},
    {"users", [](const PedestalView& v) { return Integer(v.userCount); },
     [](const PedestalView&) { return std::string("userCount"); },
     [](const PedestalView& v, JsonWriter& out) { out.Integer(v.userCount); }},
};

} // namespace

std::span<const Item> Items() {
    return kItems;
}

const Item* FindItem(std::string_view name) {
    for (const Item& item : kItems)
        if (item.name == name)
            return &item;
    return nullptr;
}

} // namespace simblock
