#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "ScriptServer.h"
#include "nodave.h"

// Frames a scripted PLC sends, and what it reads from the client's frames.
Bytes Tpkt(const Bytes& tpdu);
// One data unit carrying (part of) a PDU; `last` marks the PDU's end.
Bytes DataUnit(const Bytes& pdu, bool last = true);
// An S7 answer PDU (Ack_Data) with header error `error`.
Bytes AnswerPdu(uint16_t reference, const Bytes& parameters, const Bytes& data, uint16_t error = 0);
// A read answer's data item: return code, transport size, length field, data.
Bytes ReadItemData(uint8_t returnCode, uint8_t transportSize, uint16_t lengthField,
                   const Bytes& data = {});
// The reference and the parameters of a job in a single-unit packet from the client.
uint16_t JobReference(const Bytes& packet);
Bytes JobParameters(const Bytes& packet);

// Script steps.
ScriptServer::Step Confirm();                  // mirrors the connection request
ScriptServer::Step GrantPdu(uint16_t length);  // answers setup communication
ScriptServer::Step Send(const Bytes& bytes, bool close = false);
// Answers a read job with parameters 04 01 and the data item, in one data unit.
ScriptServer::Step AnswerRead(const Bytes& item);
// Answers a job with the PDU that `make` builds from the job's reference.
ScriptServer::Step AnswerWith(const std::function<Bytes(uint16_t reference)>& make);
std::vector<ScriptServer::Step> Then(std::vector<ScriptServer::Step> first,
                                     const std::vector<ScriptServer::Step>& more);

// A connection to a scripted PLC: socket, interface and connection records, released
// in TearDown in the order the plug-in uses.
class IsoTcpTest : public ::testing::Test {
 protected:
  static constexpr int32_t kTimeoutUs = 2000000;

  void Start(std::vector<ScriptServer::Step> steps, int32_t protocol = daveProtoISOTCP,
             int32_t rack = 0, int32_t slot = 2);
  // Start with a connect granting `pdu`, then the given steps; asserts the connect.
  void StartConnected(const std::vector<ScriptServer::Step>& steps, uint16_t pdu = 240);
  void TearDown() override;
  // The packets the PLC received, after the client has closed.
  std::vector<Bytes> Finish();

  std::unique_ptr<ScriptServer> server_;
  int32_t socket_ = 0;
  daveInterface* di_ = nullptr;
  daveConnection* dc_ = nullptr;
};
