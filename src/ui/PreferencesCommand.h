#pragma once
// The Settings commands: the preferences sheet over the viewer's settings,
// opened on the page the command names. Accepted changes reach the running
// viewer at once.

#include <cstdint>

#include "core/ViewerCore.h"
#include "ui/PreferencesSheet.h"

namespace ui {

// The sheet with every page this operator may see, opened on the page of the
// command id (ID_SETTINGS_...). Throws the failure to build a page as text.
std::unique_ptr<PreferencesSheet> MakePreferencesSheet(QWidget* parent, core::ViewerCore& core,
                                                       platform::OperatorDialogs& dialogs,
                                                       uint32_t commandId);
// Runs the sheet; a failure to set it up is shown as "Unable to set the preferences".
void RunPreferences(QWidget* parent, core::ViewerCore& core, platform::OperatorDialogs& dialogs,
                    uint32_t commandId);

}  // namespace ui
