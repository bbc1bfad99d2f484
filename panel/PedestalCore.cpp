#include "panel/PedestalCore.h"

#include "panel/PedestalStatus.h"
#include "shm/TS_P_0001_02_genericSim.h"

#include <algorithm>
#include <cstring>

using namespace PedestalStatus;

unsigned Diff(const ShownState& a, const ShownState& b) {
    // The texts come from the same few literals: equal pointers are the
    // usual case and need no comparison of characters.
    const auto differ = [](const char* x, const char* y) {
        return x != y && std::strcmp(x, y) != 0;
    };
    unsigned changes = 0;
    changes |= a.flapBitmap != b.flapBitmap ? kFlapPicture : 0u;
    changes |= a.speedBrakeBitmap != b.speedBrakeBitmap ? kSpeedBrakePicture : 0u;
    changes |= a.gearBitmap != b.gearBitmap ? kGearPicture : 0u;
    changes |= a.thrustBitmap != b.thrustBitmap ? kThrustPicture : 0u;
    changes |= differ(a.flapText, b.flapText) ? kFlapText : 0u;
    changes |= differ(a.gearText, b.gearText) ? kGearText : 0u;
    changes |= differ(a.speedBrakeText, b.speedBrakeText) ? kSpeedBrakeText : 0u;
    changes |= differ(a.thrustText, b.thrustText) ? kThrustText : 0u;
    changes |= differ(a.brakesText, b.brakesText) ? kBrakesText : 0u;
    changes |= differ(a.brakesCaption, b.brakesCaption) ? kBrakesCaption : 0u;
    return changes;
}

bool PedestalCore::SetUpSharedMemory(const char* blockName, const TellUser& tell) {
    if (m_Attachment.Attach(blockName))
        return true;
    tell(m_Attachment.FailureText().c_str(), kBlockCaption);
    return false;
}

namespace {

void WriteBrakes(GenericSimBlock& block, bool on) {
    for (double& brake : block.brakeDemand)
        brake = on ? 1.0 : 0.0;
}

} // namespace

// --- Commands ----------------------------------------------------------------

bool PedestalCore::Execute(Command command, int sliderPosition) {
    switch (command) {
    case Command::SpeedBrakeIn:
        SelectSpeedBrake(true);
        return true;
    case Command::SpeedBrakeOut:
        SelectSpeedBrake(false);
        return true;
    case Command::SliderReleased:
        // The hold-off applies with or without a block.
        ReleaseSlider(sliderPosition);
        return Block() != nullptr;
    case Command::SpeedBrakeDetent:
        SelectSpeedBrake(sliderPosition == 0);
        return true;
    default:
        break;
    }
    if (ExecuteHardware(command, sliderPosition))
        return Block() != nullptr;
    switch (command) {
    case Command::FlapUp:
        SetFlapLever(0);
        break;
    case Command::Flap1:
        SetFlapLever(1);
        break;
    case Command::Flap2:
        SetFlapLever(2);
        break;
    case Command::Flap3:
        SetFlapLever(3);
        break;
    case Command::FlapFull:
        SetFlapLever(4);
        break;
    case Command::GearUp:
        SetGear(true);
        break;
    case Command::GearDown:
        SetGear(false);
        break;
    case Command::Brakes:
        ToggleBrakes();
        break;
    case Command::ThrustToGa:
        SetThrust(kThrustToGaValue);
        break;
    case Command::ThrustFlxMct:
        SetThrust(kThrustFlxMctValue);
        break;
    case Command::ThrustCl:
        SetThrust(kThrustClValue);
        break;
    case Command::ThrustIdle:
        SetThrust(kThrustIdleValue);
        break;
    default:
        break;
    }
    return Block() != nullptr;
}

void PedestalCore::SetFlapLever(int detent) {
    GenericSimBlock* block = m_Attachment.BlockForCommand();
    if (block == nullptr)
        return;
    for (int i = 0; i < kFlapFlags; ++i)
        block->flapLever[i] = i == detent ? 1 : 0;
}

void PedestalCore::SetGear(bool up) {
    GenericSimBlock* block = m_Attachment.BlockForCommand();
    if (block == nullptr)
        return;
    block->gearLeverUp = up ? 1 : 0;
    block->gearUpSelected = up ? 1 : 0;
    block->gearDownSelected = up ? 0 : 1;
}

void PedestalCore::ToggleBrakes() {
    GenericSimBlock* block = m_Attachment.BlockForCommand();
    if (block == nullptr)
        return;
    // Decided from the block, not the caption, so a click always moves the
    // brakes away from what another writer left.
    const bool release = BrakesButtonReleases(block->brakeDemand[1]);
    WriteBrakes(*block, !release);
    const char* caption = BrakesCaption(!release);
    if (std::strcmp(caption, m_Shown.brakesCaption) != 0) {
        m_Shown.brakesCaption = caption;
        Tell({kBrakesCaption, 0});
    }
}

void PedestalCore::SetBrakes(bool on) {
    if (GenericSimBlock* block = m_Attachment.BlockForCommand())
        WriteBrakes(*block, on);
}

void PedestalCore::SetThrust(double value) {
    GenericSimBlock* block = m_Attachment.BlockForCommand();
    if (block == nullptr)
        return;
    block->thrustLever[0] = value;
    block->thrustLever[1] = value;
}

void PedestalCore::ReleaseSlider(int position) {
    m_SliderHoldOff = kSliderHoldOffTicks;
    SetThrust(ThrustFromSlider(position));
}

void PedestalCore::SelectSpeedBrake(bool in) {
    m_bSpeedBrakeIn = in;
}

bool PedestalCore::ExecuteHardware(Command command, int argument) {
    const auto thrust = [&](int lever) {
        const int clamped = std::clamp(argument, 0, kThrustArgumentMax);
        SetThrustLever(lever, static_cast<double>(clamped) / kThrustArgumentPerPercent);
    };
    switch (command) {
    case Command::FlapsUpStep:
        StepFlaps(-1);
        return true;
    case Command::FlapsDownStep:
        StepFlaps(1);
        return true;
    case Command::GearToggle:
        ToggleGear();
        return true;
    case Command::ThrustBoth:
        thrust(-1);
        return true;
    case Command::ThrustLever1:
        thrust(0);
        return true;
    case Command::ThrustLever2:
        thrust(1);
        return true;
    case Command::FlapsDetent:
        SetFlapLever(std::clamp(argument, kFlapsUp, kFlapsFull));
        return true;
    default:
        return false;
    }
}

void PedestalCore::StepFlaps(int step) {
    GenericSimBlock* block = m_Attachment.BlockForCommand();
    if (block == nullptr)
        return;
    const int from = FlapStateOf(block->flapLever, m_FlapState);
    SetFlapLever(std::clamp(from + step, kFlapsUp, kFlapsFull));
}

void PedestalCore::ToggleGear() {
    GenericSimBlock* block = m_Attachment.BlockForCommand();
    if (block == nullptr)
        return;
    SetGear(block->gearLeverUp == 0);
}

void PedestalCore::SetThrustLever(int lever, double value) {
    GenericSimBlock* block = m_Attachment.BlockForCommand();
    if (block == nullptr)
        return;
    if (lever != 1)
        block->thrustLever[0] = value;
    if (lever != 0)
        block->thrustLever[1] = value;
}

// --- Tick --------------------------------------------------------------------

Update PedestalCore::Tick() {
    GenericSimBlock* block = m_Attachment.BlockForTick();
    Update update;
    update.changes = kTicked;
    if (m_Attachment.TakeNotice(m_Notice))
        update.changes |= kNotice;
    update.changes |= ShowFlaps(block) ? kFlapPicture : 0u;
    update.changes |= ShowSpeedBrake(block) ? kSpeedBrakePicture : 0u;
    update.changes |= ShowGear(block) ? kGearPicture : 0u;
    update.changes |= ShowThrust(block, update) ? kThrustPicture : 0u;
    m_SliderHoldOff = LowerHoldOff(m_SliderHoldOff);

    const ShownState before = m_Shown;
    m_Shown.brakesText = BrakesText(block != nullptr && BrakesSet(block->brakeDemand));
    m_Shown.gearText = GearText(m_bShownGearUp);
    m_Shown.flapText = FlapText(m_FlapState);
    m_Shown.thrustText = ThrustText(m_ThrustState);
    m_Shown.speedBrakeText = SpeedBrakeText(m_bSpeedBrakeIn);
    update.changes |= Diff(before, m_Shown) & kAllTexts;

    if (block != nullptr)
        block->aidControlsHeartbeat = NextHeartbeat(block->aidControlsHeartbeat);
    Tell(update);
    return update;
}

bool PedestalCore::ShowFlaps(GenericSimBlock* block) {
    if (block != nullptr)
        m_FlapState = FlapStateOf(block->flapLever, m_FlapState);
    if (m_FlapState == m_ShownFlapState)
        return false;
    m_Shown.flapBitmap = FlapBitmap(m_FlapState);
    m_ShownFlapState = m_FlapState;
    return true;
}

bool PedestalCore::ShowSpeedBrake(GenericSimBlock* block) {
    const bool changed = m_bShownSpeedBrakeIn != m_bSpeedBrakeIn;
    if (changed)
        m_Shown.speedBrakeBitmap = SpeedBrakeBitmap(m_bSpeedBrakeIn);
    // Written on every tick: the selection is held against other writers.
    if (block != nullptr)
        block->speedBrakeLever = SpeedBrakeLeverValue(m_bSpeedBrakeIn);
    m_bShownSpeedBrakeIn = m_bSpeedBrakeIn;
    return changed;
}

bool PedestalCore::ShowGear(GenericSimBlock* block) {
    const bool gearUp = block != nullptr ? block->gearLeverUp != 0 : m_bShownGearUp;
    const bool changed = gearUp != m_bShownGearUp;
    if (changed)
        m_Shown.gearBitmap = GearBitmap(gearUp);
    m_bShownGearUp = gearUp;
    return changed;
}

bool PedestalCore::ShowThrust(GenericSimBlock* block, Update& update) {
    if (block != nullptr)
        m_ThrustState = ThrustStateOf(block->thrustLever[0]);
    const bool changed = m_ThrustState != m_ShownThrustState;
    if (changed)
        m_Shown.thrustBitmap = ThrustBitmap(m_ThrustState);
    m_ShownThrustState = m_ThrustState;
    if (m_SliderHoldOff == -1 && block != nullptr &&
        SliderPositionFor(block->thrustLever[0], &update.sliderPosition))
        update.changes |= kSliderPosition;
    return changed;
}

// --- Views -------------------------------------------------------------------

int PedestalCore::AddListener(Listener listener) {
    const int key = m_NextListenerKey++;
    m_Listeners.emplace(key, std::move(listener));
    return key;
}

void PedestalCore::RemoveListener(int key) {
    auto found = m_Listeners.find(key);
    if (found == m_Listeners.end())
        return;
    // A listener may remove itself (a view closing) while it is being told:
    // empty it now, erase it once the telling is over.
    if (m_bTelling) {
        found->second = nullptr;
        m_bErasePending = true;
    } else
        m_Listeners.erase(found);
}

void PedestalCore::Tell(const Update& update) {
    m_bTelling = true;
    for (auto& entry : m_Listeners) {
        if (entry.second)
            entry.second(update);
    }
    m_bTelling = false;
    if (m_bErasePending) {
        m_bErasePending = false;
        std::erase_if(m_Listeners, [](const auto& entry) { return !entry.second; });
    }
}
