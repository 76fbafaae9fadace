#include "IsoTestSupport.h"

namespace {

constexpr size_t kJobStart = 7;  // TPKT header and data unit header

}  // namespace

Bytes Tpkt(const Bytes& tpdu) {
  const size_t length = tpdu.size() + 4;
  Bytes packet{3, 0, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
  packet.insert(packet.end(), tpdu.begin(), tpdu.end());
  return packet;
}

Bytes DataUnit(const Bytes& pdu, bool last) {
  Bytes tpdu{2, 0xF0, static_cast<uint8_t>(last ? 0x80 : 0x00)};
  tpdu.insert(tpdu.end(), pdu.begin(), pdu.end());
  return Tpkt(tpdu);
}

Bytes AnswerPdu(uint16_t reference, const Bytes& parameters, const Bytes& data, uint16_t error) {
  Bytes pdu{0x32,
            0x03,
            0,
            0,
            static_cast<uint8_t>(reference >> 8),
            static_cast<uint8_t>(reference),
            static_cast<uint8_t>(parameters.size() >> 8),
            static_cast<uint8_t>(parameters.size()),
            static_cast<uint8_t>(data.size() >> 8),
            static_cast<uint8_t>(data.size()),
            static_cast<uint8_t>(error >> 8),
            static_cast<uint8_t>(error)};
  pdu.insert(pdu.end(), parameters.begin(), parameters.end());
  pdu.insert(pdu.end(), data.begin(), data.end());
  return pdu;
}

Bytes ReadItemData(uint8_t returnCode, uint8_t transportSize, uint16_t lengthField,
                   const Bytes& data) {
  Bytes item{returnCode, transportSize, static_cast<uint8_t>(lengthField >> 8),
             static_cast<uint8_t>(lengthField)};
  item.insert(item.end(), data.begin(), data.end());
  return item;
}

uint16_t JobReference(const Bytes& packet) {
  return packet.size() < kJobStart + 10
             ? 0
             : static_cast<uint16_t>(packet[kJobStart + 4] << 8 | packet[kJobStart + 5]);
}

Bytes JobParameters(const Bytes& packet) {
  return packet.size() < kJobStart + 10 ? Bytes{}
                                        : Bytes(packet.begin() + kJobStart + 10, packet.end());
}

ScriptServer::Step Confirm() {
  return [](const Bytes& request) {
    Bytes confirm = request;
    if (confirm.size() > 9) {
      confirm[5] = 0xD0;
      confirm[6] = request[8];
      confirm[7] = request[9];
      confirm[8] = 0x00;
      confirm[9] = 0x01;
    }
    return ScriptServer::Reply{confirm};
  };
}

ScriptServer::Step GrantPdu(uint16_t length) {
  return AnswerWith([length](uint16_t reference) {
    return AnswerPdu(
        reference,
        {0xF0, 0, 0, 1, 0, 1, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)}, {});
  });
}

ScriptServer::Step Send(const Bytes& bytes, bool close) {
  return [bytes, close](const Bytes&) { return ScriptServer::Reply{bytes, close}; };
}

ScriptServer::Step AnswerRead(const Bytes& item) {
  return AnswerWith([item](uint16_t reference) { return AnswerPdu(reference, {0x04, 1}, item); });
}

ScriptServer::Step AnswerWith(const std::function<Bytes(uint16_t reference)>& make) {
  return
      [make](const Bytes& job) { return ScriptServer::Reply{DataUnit(make(JobReference(job)))}; };
}

std::vector<ScriptServer::Step> Then(std::vector<ScriptServer::Step> first,
                                     const std::vector<ScriptServer::Step>& more) {
  first.insert(first.end(), more.begin(), more.end());
  return first;
}

void IsoTcpTest::Start(std::vector<ScriptServer::Step> steps, int32_t protocol, int32_t rack,
                       int32_t slot) {
  server_ = std::make_unique<ScriptServer>(std::move(steps));
  socket_ = openSocket(server_->Port(), "127.0.0.1");
  ASSERT_GT(socket_, 0);
  di_ = daveNewInterface(daveOSserialType{socket_, socket_}, "IF1", 0, protocol, daveSpeed187k);
  ASSERT_NE(di_, nullptr);
  di_->timeout = kTimeoutUs;
  dc_ = daveNewConnection(di_, 2, rack, slot);
  ASSERT_NE(dc_, nullptr);
}

void IsoTcpTest::StartConnected(const std::vector<ScriptServer::Step>& steps, uint16_t pdu) {
  Start(Then({Confirm(), GrantPdu(pdu)}, steps));
  ASSERT_EQ(daveConnectPLC(dc_), daveResOK);
}

std::vector<Bytes> IsoTcpTest::Finish() {
  if (dc_ != nullptr) {
    daveDisconnectPLC(dc_);
    daveFree(dc_);
    dc_ = nullptr;
  }
  if (di_ != nullptr) {
    daveDisconnectAdapter(di_);
    daveFree(di_);
    di_ = nullptr;
  }
  if (socket_ > 0) {
    closeSocket(socket_);
    socket_ = 0;
  }
  if (!server_) {
    return {};
  }
  server_->Finish();
  return server_->Received();
}

void IsoTcpTest::TearDown() { Finish(); }
