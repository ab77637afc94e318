#include "settings/TraceCategories.h"

#include "platform/Trace.h"

namespace settings {
namespace {

constexpr TraceCategoryRange CATEGORIES[] = {
    {1, 99, "Misc"},
    {100, 149, "BMP-Dirty/Stale"},
    {200, 299, "RingBuffer"},
    {300, 399, "CxxNegotiate"},
    {400, -1, "PacketTiming"},
    {420, -1, "MouseDrawTime"},
    {450, -1, "DrawTime"},
    {500, 599, "MouseAccel"},
    {600, 699, "MonitorxxThread"},
    {700, 799, "ConnectTCPIP"},
    {800, 899, "CDialogUserDetails"},
    {900, -1, "ToolbarCombos"},
    {905, -1, "BlockLeftoverVideo"},
    {910, -1, "SendPacket"},
    {920, -1, "ErrorRecovery"},
    {990, -1, "MouseLatency"},
    {1000, 1049, "KBD_LEDs"},
    {1050, 1099, "FlyoutMenus"},
    {1100, -1, "EncryptRandStr"},
    {1110, -1, "LocalSysKeys"},
    {1111, -1, "HandleHotkeys"},
    {1112, -1, "HandleCtrlAltHotkeys"},
    {1113, -1, "HandleKeystrokes"},
    {1114, -1, "HandleHotKeys"},
    {1115, -1, "HandleCtrlDnCtrlUpHotkeys"},
    {1116, -1, "Keystroke"},
    {1150, -1, "Send Key"},
    {1200, -1, "HandleMouseMove"},
    {1201, -1, "MouseGesture Stuff"},
    {1210, -1, "bDirectionSame"},
    {1300, -1, "SwitchSettings"},
    {1400, 1410, "OnSize-NewSize"},
    {1500, -1, "OneToOne"},
    {1600, -1, "KVMMessageHandler"},
    {1650, -1, "MyWndProc"},
    {1700, -1, "PaintWindow"},
    {1710, -1, "AddScrollBarsIfNeeded"},
    {1800, -1, "OnSize"},
    {1900, -1, "ForcePassthruMode"},
    {2000, -1, "OnTimer"},
    {2100, -1, "OnViewType"},
    {2200, -1, "SendUsers"},
    {2210, -1, "LoadGridFromString"},
    {2300, -1, "GetPacket"},
    {2310, -1, "HandleInterval"},
    {2400, -1, "Win9xFixup"},
    {2500, -1, "ViewFullScreen"},
    {2600, -1, "ActionsPassThrough"},
    {2700, -1, "SendInitialPackets"},
    {2800, -1, "MonitorModemThread"},
    {2850, -1, "ModemConnect"},
    {2860, -1, "CRegistry"},
    {2870, -1, "CWinModemParameters"},
    {2900, -1, "HandlePackets"},
    {3000, -1, "Modem"},
    {3100, -1, "XMLProcessing"},
};

}  // namespace

void RegisterAllCategories(TraceLog& log) {
  for (const TraceCategoryRange& range : CATEGORIES) {
    log.RegisterCategory(range.firstId, range.lastId, range.name);
  }
}

void TraceSettingsBanner() {
  const std::string stars = std::string(55, '*') + "\n";
  Trace("%s", stars.c_str());
  Trace("******* MODIFY TRACING OPTIONS IN REMOTE.INI **********\n");
  Trace("%s", stars.c_str());
}

std::string MaskedSecret(std::string_view secret) { return secret.empty() ? "" : "********"; }

}  // namespace settings
