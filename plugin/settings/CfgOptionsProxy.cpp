#include "settings/CfgOptionsProxy.h"

const TClassInfo& TProxyCodeCustomObject::StaticClassInfo() {
  static const TClassInfo info("TProxyCodeCustomObject", &TComponent::StaticClassInfo(), {});
  return info;
}

const TClassInfo& TProxyCodeObject::StaticClassInfo() {
  using T = TProxyCodeObject;
  static const TClassInfo info(
      "TProxyCodeObject", &TProxyCodeCustomObject::StaticClassInfo(),
      {PublishedField("Left", &T::Left), PublishedField("Top", &T::Top),
       PublishedField("Height", &T::Height), PublishedField("Width", &T::Width),
       PublishedField("lblParams_Caption", &T::lblParams_Caption),
       PublishedField("OpenDialog_FileName", &T::OpenDialog_FileName),
       PublishedField("SaveDialog_FileName", &T::SaveDialog_FileName),
       PublishedField("spMinInt_Value", &T::spMinInt_Value),
       PublishedField("comboProto_ItemIndex", &T::comboProto_ItemIndex),
       PublishedField("spCPURack_Value", &T::spCPURack_Value),
       PublishedField("spCPUSlot_Value", &T::spCPUSlot_Value),
       PublishedField("spLocalAddress_Value", &T::spLocalAddress_Value),
       PublishedField("spRemoteAddress_Value", &T::spRemoteAddress_Value)});
  return info;
}
