#include "Animation.h"

#include <cmath>

#include "ValueEncoding.h"

namespace plcsim {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// Whole periods since the start.
double Ticks(const Motion& motion, double seconds) { return std::floor(seconds / motion.period); }

// Position of `ticks` in a cycle of `count` steps, also before the start.
size_t Cycle(double ticks, size_t count) {
  double position = std::fmod(ticks, static_cast<double>(count));
  if (!std::isfinite(position)) {
    return 0;
  }
  if (position < 0) {
    position += static_cast<double>(count);
  }
  return static_cast<size_t>(position);
}

double NumberAt(const Motion& motion, double seconds) {
  switch (motion.kind) {
    case MotionKind::kCounter:
      return motion.start + motion.step * Ticks(motion, seconds);
    case MotionKind::kSine:
      return motion.offset + motion.amplitude * std::sin(kTwoPi * seconds / motion.period);
    case MotionKind::kRamp: {
      const double phase = seconds / motion.period - Ticks(motion, seconds);
      return motion.min + (motion.max - motion.min) * phase;
    }
    case MotionKind::kToggle: {
      const auto pattern = static_cast<uint32_t>(motion.pattern);
      return Cycle(Ticks(motion, seconds), 2) == 0 ? pattern : ~pattern;
    }
    case MotionKind::kConst:
    case MotionKind::kText:
      break;
  }
  return motion.value;
}

}  // namespace

std::vector<uint8_t> ValueBytes(const AnimatedValue& value, double seconds) {
  const Motion& motion = value.motion;
  if (motion.kind == MotionKind::kText) {
    const size_t index = Cycle(Ticks(motion, seconds), motion.texts.size());
    return EncodeString(value.stringLength, motion.texts[index]);
  }
  return EncodeNumber(value.type, NumberAt(motion, seconds));
}

void Animate(const std::vector<AnimatedValue>& values, PlcMemory& memory, double seconds) {
  for (const AnimatedValue& value : values) {
    memory.Write(value.at.block, value.at.offset, ValueBytes(value, seconds));
  }
}

}  // namespace plcsim
