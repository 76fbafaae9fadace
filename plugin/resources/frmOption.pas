{ The options dialog's script: the host runs it with the form frmOption,
  whose owner is the plug-in's module object. }

var
  __pBot: TPanel;
  pan2: TPanel;
  lblParams: TTntLabel;
  Label1: TTntLabel;
  spMinInt: TJvSpinEdit;
  pan0: TPanel;
  Label2: TTntLabel;
  Label3: TTntLabel;
  Label4: TTntLabel;
  comboProto: TTntComboBox;
  spCPURack: TJvSpinEdit;
  spCPUSlot: TJvSpinEdit;
  spLocalAddress: TJvSpinEdit;
  spRemoteAddress: TJvSpinEdit;
  pan1: TPanel;
  tmpMenu: TTntPopupMenu;
  MsgSendReq: TTntMenuItem;
  MsgFunc: TTntMenuItem;
  TxtDatablock: TTntMenuItem;
  MemoryTypeList: TTntMenuItem;
  MsgDataAddress: TTntMenuItem;
  MsgRegRead: TTntMenuItem;
  MsgRegReadHint: TTntMenuItem;
  MsgReqTimeout: TTntMenuItem;
  MsgReqMethod: TTntMenuItem;
  MsgMOnce: TTntMenuItem;
  MsgPolling: TTntMenuItem;
  MsgPollInt: TTntMenuItem;
  MsgPollUnits: TTntMenuItem;
  TxtMillisecond: TTntMenuItem;
  TxtSecond: TTntMenuItem;
  TxtMinute: TTntMenuItem;
  TxtHour: TTntMenuItem;
  MsgReq: TTntMenuItem;
  PollUnitList: TTntMenuItem;
  DataTypeList: TTntMenuItem;
  MsgDec: TTntMenuItem;
  MsgF32: TTntMenuItem;
  MsgF64: TTntMenuItem;
  MsgS: TTntMenuItem;
  MsgBIT: TTntMenuItem;
  MsgD8: TTntMenuItem;
  MsgD16: TTntMenuItem;
  MsgD32: TTntMenuItem;
  MsgD64: TTntMenuItem;
  MsgResponseItems: TTntMenuItem;
  MsgResponseItem: TTntMenuItem;
  MsgName: TTntMenuItem;
  MsgOffset: TTntMenuItem;
  MsgOffsetHint: TTntMenuItem;
  MsgCount: TTntMenuItem;
  MsgAppendCnt: TTntMenuItem;
  MsgZeroBaseCnt: TTntMenuItem;
  MsgDataType: TTntMenuItem;
  MsgLE: TTntMenuItem;
  MsgUnsigned: TTntMenuItem;
  MsgSwapped: TTntMenuItem;
  MsgScale: TTntMenuItem;
  MsgDefault: TTntMenuItem;
  propTree: TVirtualParamTreeviewEx;

procedure btnCancelClick(Sender: TObject);
begin
  propTree.CancelEdit;
  Hide;
end;

procedure btnOKClick(Sender: TObject);
begin
  propTree.CancelEdit;
  Hide;
  { The host stores the caption under "Parser config". }
  lblParams.Caption := propTree.AsText;
end;

const
  PARAM_OPTION_VALUE_SEP = '==';
  PARAM_OPTION_LIST_SEP = '||';

procedure FormCreate(Sender: TObject);
var
  aPlugin: TmoxPlugin;
  res: String;
  CRLF: String;
begin
  aPlugin := Owner;
  CRLF := LineEnding;
  { Without a sender the form is only loaded and gets no editor. }
  propTree := nil;
  if Sender <> nil then
  begin
    propTree := CreateVirtualParamTreeview(Self, pan1,
      'propTree~Requests queue' + '~RootNodeName,MODBUSRTUQUERY,Panel,OpenSave',
      'Request~@MsgReq~dtCategory,Editable' + CRLF +
      ' Enabled~@MsgSendReq~dtCheckbox~~2' + CRLF +
      ' Area~@MsgFunc~dtComboDropDownValuesList~@MemoryTypeList~8' + CRLF +
      ' Datablock~@TxtDatablock~dtInteger~0,65535~0' + CRLF +
      ' Offset~@MsgDataAddress~dtInteger~-0,65535~-0' + CRLF +
      ' Size~@MsgRegRead~dtInteger~1,65535~1' + CRLF +
      ' Timeout~@MsgReqTimeout~dtInteger~1,65535~3000' + CRLF +
      ' RequestMethod~@MsgReqMethod~dtCategory' + CRLF +
      '  MethodOnce~@MsgMOnce~dtCheckbox,RadioButton~~2' + CRLF +
      '  MethodPoll~@MsgPolling~dtCheckbox,RadioButton~~0' + CRLF +
      '   PollInterval~@MsgPollInt~dtInteger~1,655350~1000' + CRLF +
      '   PollUnits~@MsgPollUnits~dtComboDropDownValuesList~@PollUnitList~MS' + CRLF +
      ' Response~@MsgResponseItems~dtCategory,Optional~F0F0F0,' + IntToHex(clBlack, 6) + CRLF +
      '  Item~@MsgResponseItem~dtCategory,Editable,Repeatable~F0F0F0,' +
        IntToHex(clBlack, 6) + CRLF +
      '   Name~@MsgName~dtUpperCase~~ITEM' + CRLF +
      '   Offset~@MsgOffset~dtInteger~-1,65535~-1' + CRLF +
      '   Count~@MsgCount~dtInteger~1,65535~1' + CRLF +
      '   AppendCnt~@MsgAppendCnt~dtCheckbox~~2' + CRLF +
      '    ZeroBaseCnt~@MsgZeroBaseCnt~dtCheckbox~~0' + CRLF +
      '   DataType~@MsgDataType~dtComboDropDownValuesList~@DataTypeList~D8' + CRLF +
      '   LE~@MsgLE~dtCheckbox~~0' + CRLF +
      '   Unsigned~@MsgUnsigned~dtCheckbox~~2' + CRLF +
      '   Swapped~@MsgSwapped~dtCheckbox~~2' + CRLF +
      '   Default~@MsgDefault~dtString~~0' + CRLF +
      '   Scale~@MsgScale~dtExtended~~1');
    InitPluginConfigForm(Self, [ifoCloseForm, ifoStdControls]);
    propTree.HelpContext := 1;
    if aPlugin.CallEvent('GetMemoryTypeList', [0], res) then
      MemoryTypeList.Caption := res;
    PollUnitList.Caption :=
      TxtMillisecond.Caption + PARAM_OPTION_VALUE_SEP + 'MS' + PARAM_OPTION_LIST_SEP +
      TxtSecond.Caption + PARAM_OPTION_VALUE_SEP + 'S' + PARAM_OPTION_LIST_SEP +
      TxtMinute.Caption + PARAM_OPTION_VALUE_SEP + 'M' + PARAM_OPTION_LIST_SEP +
      TxtHour.Caption + PARAM_OPTION_VALUE_SEP + 'H';
    DataTypeList.Caption :=
      MsgDec.Caption + ', ' + MsgD8.Caption + PARAM_OPTION_VALUE_SEP + 'D8' +
      PARAM_OPTION_LIST_SEP +
      MsgDec.Caption + ', ' + MsgD16.Caption + PARAM_OPTION_VALUE_SEP + 'D16' +
      PARAM_OPTION_LIST_SEP +
      MsgDec.Caption + ', ' + MsgD32.Caption + PARAM_OPTION_VALUE_SEP + 'D32' +
      PARAM_OPTION_LIST_SEP +
      MsgDec.Caption + ', ' + MsgD64.Caption + PARAM_OPTION_VALUE_SEP + 'D64' +
      PARAM_OPTION_LIST_SEP +
      MsgF32.Caption + ', ' + MsgD32.Caption + PARAM_OPTION_VALUE_SEP + 'F32' +
      PARAM_OPTION_LIST_SEP +
      MsgF64.Caption + ', ' + MsgD64.Caption + PARAM_OPTION_VALUE_SEP + 'F64' +
      PARAM_OPTION_LIST_SEP +
      MsgS.Caption + PARAM_OPTION_VALUE_SEP + 'S' + PARAM_OPTION_LIST_SEP +
      MsgBIT.Caption + PARAM_OPTION_VALUE_SEP + 'BIT';
    TButton(FindComponent('btnOK')).OnClick := @btnOKClick;
    TButton(FindComponent('btnCancel')).OnClick := @btnCancelClick;
  end
  else
    LoadPluginConfigForm(Self);
  if propTree <> nil then
    propTree.AsText := lblParams.Caption;
end;

procedure FormDestroy(Sender: TObject);
begin
  if propTree <> nil then
    FreeVirtualParamTreeview(propTree);
  propTree := nil;
end;

begin
end.
