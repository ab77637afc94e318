#pragma once
// The Settings commands: the preferences sheet over the viewer's settings,
// opened on the page the command names. Accepted changes reach the running
// viewer at once.

#include <cstdint>

#include "admin/SwitchSettings.h"
#include "core/ViewerCore.h"
#include "settings/Branding.h"
#include "ui/PreferencesSheet.h"

namespace ui {

// The sheet with every page this operator may see, opened on the page of the
// command id (ID_SETTINGS_...). The unit's pages are there while an
// administrator is logged in. Throws the failure to build a page as text.
std::unique_ptr<PreferencesSheet> MakePreferencesSheet(
    QWidget* parent, core::ViewerCore& core, platform::OperatorDialogs& dialogs, uint32_t commandId,
    const admin::SwitchModelNames& switchModels = settings::Branding{}.switchNames);
// Runs the sheet; a failure to set it up is shown as "Unable to set the preferences".
void RunPreferences(QWidget* parent, core::ViewerCore& core, platform::OperatorDialogs& dialogs,
                    uint32_t commandId, const admin::SwitchModelNames& switchModels);

}  // namespace ui
