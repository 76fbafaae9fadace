object frmOption: TfrmOption
  Left = 326
  Top = 144
  Width = 481
  Height = 435
  HelpContext = 1
  BorderIcons = [biSystemMenu, biMaximize, biHelp]
  BorderWidth = 2
  Caption = 'Siemens Simatic S5,S7'
  Constraints.MinHeight = 250
  Constraints.MinWidth = 320
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  KeyPreview = True
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  object __pBot: TPanel
    Height = 45
    HelpContext = 1
    Hint = 'OkCancel'
    Align = alBottom
    BevelOuter = bvNone
  end
  object pan2: TPanel
    Height = 30
    Align = alBottom
    BevelOuter = bvNone
    object lblParams: TTntLabel
      Visible = False
    end
    object Label1: TTntLabel
      Left = 0
      Top = 0
      Width = 229
      Height = 26
      Caption = 'Minimal interval between data packets (ms)'
    end
    object spMinInt: TJvSpinEdit
      Left = 232
      Top = 4
      Width = 85
      Height = 21
      MaxValue = 65535.0
      MinValue = 0.0
    end
  end
  object pan0: TPanel
    Height = 97
    Align = alTop
    BevelOuter = bvNone
    object Label2: TTntLabel
      Left = 0
      Top = 4
      Caption = 'Protocol'
    end
    object Label3: TTntLabel
      Left = 0
      Top = 34
      Caption = 'CPU rack/slot'
    end
    object Label4: TTntLabel
      Left = 0
      Top = 62
      Caption = 'MPI local/remote address'
    end
    object comboProto: TTntComboBox
      Left = 84
      Top = 8
      Width = 373
      Height = 21
      Style = csDropDownList
      Items.Strings = (
        'MPI protocol'
        'MPI protocol (w/o STX)'
        'MPI protocol (Step 7 version)'
        'MPI protocol (with STX)'
        'PPI protocol'
        'ISO over TCP'
        'ISO over TCP (for CP243)'
        'IBH-Link TCP/MPI adapter'
        'IBH-Link TCP/MPI adapter with PPI protocol'
        'Use S7Onlinx.dll for transport via Siemens CP'
        'S5 (via programming port)'
        'Deltalogic NetLink-PRO TCP/MPI adapter')
      ItemIndex = 0
    end
    object spCPURack: TJvSpinEdit
      Left = 152
      Top = 36
      MaxValue = 255.0
      MinValue = 0.0
    end
    object spCPUSlot: TJvSpinEdit
      Left = 244
      Top = 36
      MaxValue = 32.0
      MinValue = 1.0
      Value = 2.0
    end
    object spLocalAddress: TJvSpinEdit
      Left = 152
      Top = 64
      MaxValue = 65535.0
      MinValue = 0.0
    end
    object spRemoteAddress: TJvSpinEdit
      Left = 244
      Top = 64
      MaxValue = 65535.0
      MinValue = 1.0
      Value = 2.0
    end
  end
  object pan1: TPanel
    Align = alClient
    BevelOuter = bvNone
  end
  object tmpMenu: TTntPopupMenu
    object MsgSendReq: TTntMenuItem
      Caption = 'Send requests, otherwise parse response only'
    end
    object MsgFunc: TTntMenuItem
      Caption = 'Area'
    end
    object TxtDatablock: TTntMenuItem
      Caption = 'Datablock'
    end
    object MemoryTypeList: TTntMenuItem
      Tag = 9999
    end
    object MsgDataAddress: TTntMenuItem
      Caption = 'Data address'
    end
    object MsgRegRead: TTntMenuItem
      Caption = 'Read bytes'
    end
    object MsgRegReadHint: TTntMenuItem
      Caption = 'Zero based value'
    end
    object MsgReqTimeout: TTntMenuItem
      Caption = 'Request timeout (ms)'
    end
    object MsgReqMethod: TTntMenuItem
      Caption = 'Request method'
    end
    object MsgMOnce: TTntMenuItem
      Caption = 'Once, on the program startup'
    end
    object MsgPolling: TTntMenuItem
      Caption = 'Polling'
    end
    object MsgPollInt: TTntMenuItem
      Caption = 'Interval'
    end
    object MsgPollUnits: TTntMenuItem
      Caption = 'Interval units'
    end
    object TxtMillisecond: TTntMenuItem
      Caption = 'Millisecond'
    end
    object TxtSecond: TTntMenuItem
      Caption = 'Second'
    end
    object TxtMinute: TTntMenuItem
      Caption = 'Minute'
    end
    object TxtHour: TTntMenuItem
      Caption = 'Hour'
    end
    object MsgReq: TTntMenuItem
      Caption = 'Request'
    end
    object PollUnitList: TTntMenuItem
      Tag = 9999
    end
    object DataTypeList: TTntMenuItem
      Tag = 9999
    end
    object MsgDec: TTntMenuItem
      Caption = 'Decimal'
    end
    object MsgF32: TTntMenuItem
      Caption = 'Single precision float'
    end
    object MsgF64: TTntMenuItem
      Caption = 'Double precision float'
    end
    object MsgS: TTntMenuItem
      Caption = 'String (zero ended)'
    end
    object MsgBIT: TTntMenuItem
      Caption = 'Bit (coil status)'
    end
    object MsgD8: TTntMenuItem
      Caption = '8 bit'
    end
    object MsgD16: TTntMenuItem
      Caption = '16 bit'
    end
    object MsgD32: TTntMenuItem
      Caption = '32 bit'
    end
    object MsgD64: TTntMenuItem
      Caption = '64 bit'
    end
    object MsgResponseItems: TTntMenuItem
      Caption = 'Response items'
    end
    object MsgResponseItem: TTntMenuItem
      Caption = 'Response item'
    end
    object MsgName: TTntMenuItem
      Caption = 'Name'
    end
    object MsgOffset: TTntMenuItem
      Caption = 'Offset'
    end
    object MsgOffsetHint: TTntMenuItem
      Caption = 'If you''ll specify -1 then the program will calculate offset automatically'
    end
    object MsgCount: TTntMenuItem
      Caption = 'Count'
    end
    object MsgAppendCnt: TTntMenuItem
      Caption = 'Append counter to name'
    end
    object MsgZeroBaseCnt: TTntMenuItem
      Caption = 'Zero based counter'
    end
    object MsgDataType: TTntMenuItem
      Caption = 'Data type'
    end
    object MsgLE: TTntMenuItem
      Caption = 'Little endian, otherwise Big endian (numbers only)'
    end
    object MsgUnsigned: TTntMenuItem
      Caption = 'Unsigned, otherwise Signed (decimal numbers only)'
    end
    object MsgSwapped: TTntMenuItem
      Caption = 'Swapped (most significant register first) (32 and 64 bit numbers only)'
    end
    object MsgScale: TTntMenuItem
      Caption = 'Scale (numbers only)'
    end
    object MsgDefault: TTntMenuItem
      Caption = 'Default value'
    end
  end
end
