#include "Faults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "CommandLine.h"

namespace plcsim {
namespace {

// A Read Var answer with reference 0x0102 and four data bytes, as one DT packet.
Bytes ReadAnswer() {
  return {0x03, 0x00, 0x00, 0x1D, 0x02, 0xF0, 0x80, 0x32, 0x03, 0x00, 0x00, 0x01, 0x02, 0x00, 0x02,
          0x00, 0x08, 0x00, 0x00, 0x04, 0x01, 0xFF, 0x04, 0x00, 0x20, 0x11, 0x22, 0x33, 0x44};
}

// A connection confirm: no S7 header to alter.
Bytes ConnectConfirm() {
  return {0x03, 0x00, 0x00, 0x0B, 0x06, 0xD0, 0x00, 0x01, 0x00, 0x01, 0x00};
}

TEST(FaultPlan, ParsesRatesSchedulesAndSettingsInOrder) {
  const FaultPlan plan =
      ParseFaultPlan("drop:0.1,close:every:50,delay-ms:250,truncate:1,seed:7,refuse:0");
  ASSERT_EQ(plan.rules.size(), 4u);
  EXPECT_EQ(plan.rules[0].kind, FaultKind::kDrop);
  EXPECT_DOUBLE_EQ(plan.rules[0].rate, 0.1);
  EXPECT_EQ(plan.rules[1].kind, FaultKind::kClose);
  EXPECT_EQ(plan.rules[1].every, 50u);
  EXPECT_EQ(plan.rules[2].kind, FaultKind::kTruncate);
  EXPECT_EQ(plan.rules[3].kind, FaultKind::kRefuse);
  EXPECT_EQ(plan.delayMs, 250u);
  EXPECT_EQ(plan.seed, 7u);
  for (const char* name :
       {"drop", "delay", "truncate", "length", "garbage", "reference", "close", "refuse"}) {
    EXPECT_STREQ(FaultName(ParseFaultPlan(std::string(name) + ":1").rules[0].kind), name);
  }
}

TEST(FaultPlan, RefusesNonsenseWithTheItemNamed) {
  const std::vector<std::pair<std::string, std::string>> mistakes = {
      {"", "no fault"},
      {"seed:3", "no fault"},
      {"drop", "neither KIND:RATE"},
      {"drop:1.5", "not from 0 to 1"},
      {"drop:-0.1", "not from 0 to 1"},
      {"drop:x", "not from 0 to 1"},
      {"drop:every:0", "no whole number from 1"},
      {"drop:every:-1", "no whole number"},
      {"drop:every", "not from 0 to 1"},
      {"drop:0.1,", "unknown fault \"\""},
      {"crash:0.1", "unknown fault \"crash:0.1\""},
      {"delay-ms:0,drop:1", "no whole number from 1"},
  };
  for (const auto& [plan, message] : mistakes) {
    try {
      ParseFaultPlan(plan);
      ADD_FAILURE() << plan << " was taken";
    } catch (const FaultPlanError& error) {
      EXPECT_NE(std::string(error.what()).find(message), std::string::npos)
          << plan << ": " << error.what();
    }
  }
  EXPECT_THROW(ParseCommandLine({"--faults", "drop:2"}), UsageError);
  EXPECT_THROW(ParseCommandLine({"--faults", "drop:1", "--protocol", "ppi"}), UsageError);
  EXPECT_EQ(ParseCommandLine({"--faults", "garbage:0.5"}).server.faults.rules.size(), 1u);
}

struct AnswerCase {
  const char* plan;
  bool send;
  bool close;
  uint32_t delayMs;
  Bytes sent;  // empty: not compared
};

TEST(FaultInjector, EachKindAltersOrWithholdsTheAnswerAndIsLogged) {
  Bytes lengthOneMore = ReadAnswer();
  lengthOneMore[16] = 0x09;
  Bytes previousReference = ReadAnswer();
  previousReference[12] = 0x01;
  const Bytes answer = ReadAnswer();
  const Bytes half(answer.begin(), answer.begin() + 14);
  const std::vector<AnswerCase> cases = {
      {"drop:1", false, false, 0, {}},
      {"delay:1,delay-ms:40", true, false, 40, ReadAnswer()},
      {"truncate:1", true, false, 0, half},
      {"length:1", true, false, 0, lengthOneMore},
      {"reference:1", true, false, 0, previousReference},
      {"close:1", false, true, 0, {}},
  };
  for (const AnswerCase& test : cases) {
    std::vector<std::string> log;
    FaultInjector faults(ParseFaultPlan(test.plan),
                         [&log](const std::string& line) { log.push_back(line); });
    Bytes reply = ReadAnswer();
    const FaultOutcome outcome = faults.OnAnswer(reply, "127.0.0.1:5000");
    EXPECT_EQ(outcome.send, test.send) << test.plan;
    EXPECT_EQ(outcome.close, test.close) << test.plan;
    EXPECT_EQ(outcome.delayMs, test.delayMs) << test.plan;
    if (!test.sent.empty()) {
      EXPECT_EQ(reply, test.sent) << test.plan;
    }
    const std::string kind = std::string(test.plan).substr(0, std::string(test.plan).find(':'));
    ASSERT_EQ(log.size(), 1u) << test.plan;
    EXPECT_EQ(log[0], "fault " + kind + ": answer to 127.0.0.1:5000");
    EXPECT_FALSE(faults.RefuseConnection("127.0.0.1:5001")) << test.plan;
  }
  FaultInjector garbage(ParseFaultPlan("garbage:1"), nullptr);
  Bytes reply = ReadAnswer();
  garbage.OnAnswer(reply, "peer");
  EXPECT_EQ(reply.size(), ReadAnswer().size());
  EXPECT_NE(reply, ReadAnswer());
}

TEST(FaultInjector, SchedulesCountTheirOwnChancesAndS7FaultsSkipOtherAnswers) {
  FaultInjector faults(ParseFaultPlan("reference:every:2,drop:every:3"), nullptr);
  std::string struck;
  for (int answer = 0; answer < 6; ++answer) {
    Bytes confirm = ConnectConfirm();
    const FaultOutcome onConfirm = faults.OnAnswer(confirm, "peer");
    EXPECT_EQ(confirm, ConnectConfirm());  // never altered as an S7 answer
    Bytes reply = ReadAnswer();
    const FaultOutcome onAnswer = faults.OnAnswer(reply, "peer");
    struck += onConfirm.fault ? FaultName(*onConfirm.fault)[0] : '-';
    struck += onAnswer.fault ? FaultName(*onAnswer.fault)[0] : '-';
  }
  // Drop counts every answer, reference only the S7 ones and goes first.
  EXPECT_EQ(struck, "--dr--dr--dr");
  FaultInjector refusals(ParseFaultPlan("refuse:every:2"), nullptr);
  EXPECT_FALSE(refusals.RefuseConnection("a"));
  EXPECT_TRUE(refusals.RefuseConnection("b"));
  Bytes reply = ReadAnswer();
  EXPECT_FALSE(refusals.OnAnswer(reply, "c").fault);
}

TEST(FaultInjector, RatesFollowTheSeedAndStopEndsADelay) {
  auto pattern = [](uint32_t seed) {
    FaultPlan plan = ParseFaultPlan("drop:0.5");
    plan.seed = seed;
    FaultInjector faults(plan, nullptr);
    std::string struck;
    for (int answer = 0; answer < 200; ++answer) {
      Bytes reply = ReadAnswer();
      struck += faults.OnAnswer(reply, "peer").fault ? 'd' : '-';
    }
    return struck;
  };
  const std::string first = pattern(3);
  EXPECT_EQ(first, pattern(3));
  EXPECT_NE(first, pattern(4));
  const auto drops = std::count(first.begin(), first.end(), 'd');
  EXPECT_GT(drops, 60);
  EXPECT_LT(drops, 140);

  FaultInjector faults(ParseFaultPlan("delay:1,delay-ms:600000"), nullptr);
  std::thread stopper([&faults] { faults.Stop(); });
  EXPECT_FALSE(faults.Wait(600000));
  stopper.join();
}

}  // namespace
}  // namespace plcsim
