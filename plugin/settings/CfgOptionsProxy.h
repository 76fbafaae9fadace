#pragma once

#include <cstdint>
#include <string>

#include "moxShared/Public/Component/moxComponent.h"

// A settings object whose published properties mirror the controls of an
// options dialog, named control, underscore, property (the map path
// "spMinInt.Value" addresses `spMinInt_Value`).
class TProxyCodeCustomObject : public TComponent {
 public:
  using TComponent::TComponent;

  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // Copying such an object into another one is allowed and does nothing: the
  // values travel only through the settings store.
  void AssignTo(TComponent& /*target*/) const {}
};

// The options dialog's controls: its geometry, the request tree text, the file
// dialogs' paths, and the PLC connection values. The initial values are the
// dialog's own design-time ones.
class TProxyCodeObject : public TProxyCodeCustomObject {
 public:
  explicit TProxyCodeObject(TComponent* owner) : TProxyCodeCustomObject(owner) {}

  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  int32_t Left = 326;
  int32_t Top = 144;
  int32_t Height = 435;
  int32_t Width = 481;
  std::string lblParams_Caption;
  std::string OpenDialog_FileName;
  std::string SaveDialog_FileName;
  double spMinInt_Value = 0;
  int32_t comboProto_ItemIndex = 2;
  double spCPURack_Value = 0;
  double spCPUSlot_Value = 2;
  double spLocalAddress_Value = 0;
  double spRemoteAddress_Value = 2;
};
