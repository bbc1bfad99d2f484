// The pedestal itself, with no toolkit in it: the commands of every control,
// the 60 ms tick, and the state that the window's pictures and texts show.
// Windows, the browser server and tools are views of one core: they turn
// their events into commands, call Tick() from their timer, and render the
// shown state when they are told it changed.
//
// Single-threaded: whoever owns a core (an event loop, a message loop, a
// server's strand) calls it from one thread. A command's effect does not
// depend on which view sent it.
#pragma once

#include "panel/Attachment.h"
#include "panel/Commands.h"
#include "panel/ShownState.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>

struct GenericSimBlock;

class PedestalCore {
public:
    PedestalCore() = default;
    PedestalCore(const PedestalCore&) = delete;
    PedestalCore& operator=(const PedestalCore&) = delete;

    static constexpr int kStatusTimerId = 4378269;
    static constexpr int kStatusPeriodMs = 60;

    Attachment& GetAttachment() { return m_Attachment; }
    // The caption of every box that tells of the block: a failure to attach
    // at start-up, and a block lost or attached again while running.
    static constexpr char kBlockCaption[] = "CPedestalDlg::SetUpSharedMemory";
    // Shows a text to the user in a box with the given caption.
    using TellUser = std::function<void(const char* text, const char* caption)>;
    // Attaches as start-up does (blockName null is the simulator's block);
    // a failure is told and the pedestal runs on without a block.
    bool SetUpSharedMemory(const char* blockName, const TellUser& tell);
    // The block the commands and the tick act on, or null without one.
    GenericSimBlock* Block() const { return m_Attachment.Block(); }

    // --- Commands -----------------------------------------------------------
    // Each writes its lever's fields into the block at once, in the order the
    // fields are listed, and nothing without a block; the speed brake only
    // changes the pedestal's own selection, which the next tick writes.
    // Execute returns false when the command needed a block and had none.
    bool Execute(Command command, int sliderPosition = 0);
    void SetFlapLever(int detent);
    void SetGear(bool up);
    void ToggleBrakes();
    // All three brake demands set (1) or released (0), as the button does.
    void SetBrakes(bool on);
    void SetThrust(double value);
    void ReleaseSlider(int position);
    void SelectSpeedBrake(bool in);
    // One flap detent towards Up (-1) or Full (+1) from the block's lever.
    void StepFlaps(int step);
    void ToggleGear();
    // lever 0 or 1, or -1 for both; value in percent of travel.
    void SetThrustLever(int lever, double value);

    // --- Tick ---------------------------------------------------------------
    // Reads the block, moves the shown state, re-asserts the speed brake and
    // raises the heartbeat. Views are told what changed.
    Update Tick();

    const ShownState& Shown() const { return m_Shown; }
    bool SpeedBrakeIn() const { return m_bSpeedBrakeIn; }
    std::int32_t SliderHoldOff() const { return m_SliderHoldOff; }
    int FlapState() const { return m_FlapState; }
    int ThrustState() const { return m_ThrustState; }
    bool GearUpShown() const { return m_bShownGearUp; }

    // A text the attachment has for the user (a lost or recovered block);
    // empty when there is none. Views are told with kNotice.
    const std::string& Notice() const { return m_Notice; }

    // --- Views --------------------------------------------------------------
    using Listener = std::function<void(const Update&)>;
    // Called after every tick, and after a command that changes the shown
    // state; returns a key for RemoveListener.
    int AddListener(Listener listener);
    void RemoveListener(int key);

private:
    // The hardware and remote clients' commands; false for any other.
    bool ExecuteHardware(Command command, int argument);
    bool ShowFlaps(GenericSimBlock* block);
    bool ShowSpeedBrake(GenericSimBlock* block);
    bool ShowGear(GenericSimBlock* block);
    bool ShowThrust(GenericSimBlock* block, Update& update);
    void Tell(const Update& update);

    Attachment m_Attachment;
    ShownState m_Shown;
    std::int32_t m_FlapState = 0;
    std::int32_t m_ShownFlapState = 0;
    bool m_bSpeedBrakeIn = true;
    bool m_bShownSpeedBrakeIn = true;
    bool m_bShownGearUp = false;
    // Idle until a block says otherwise, matching the template's picture.
    std::int32_t m_ThrustState = 2;
    // None of the states, so that the first tick sets the thrust picture.
    std::int32_t m_ShownThrustState = -1;
    // 0 lets the hidden slider follow the block once, on the second tick.
    std::int32_t m_SliderHoldOff = 0;
    std::string m_Notice;
    std::map<int, Listener> m_Listeners;
    int m_NextListenerKey = 1;
    bool m_bTelling = false;
    bool m_bErasePending = false;
};
