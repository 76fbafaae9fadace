#pragma once

// The lines of the Siemens module's property map, in order: control path, a
// comma, value name. The first four keep the options dialog's geometry, the
// comment line separates them from the module's own values, empty lines only
// group the map. The module's map holds them, and the dialog's script
// resource carries them to the host.
inline constexpr const char* kSettingsMapLines[] = {
    "Left,Left",
    "Top,Top",
    "Height,Height",
    "Width,Width",
    ";---short---",
    "lblParams.Caption,Parser config",
    "OpenDialog.FileName,Open files dir",
    "SaveDialog.FileName,Save files dir",
    "spMinInt.Value,Min interval",
    "",
    "spLocalAddress.Value,Local address",
    "spRemoteAddress.Value,Remote address",
    "spCPURack.Value,CPU rack",
    "spCPUSlot.Value,CPU slot",
    "",
    "comboProto.ItemIndex,Proto",
    "",
};
