#include "RequestTreeXml.h"

namespace plchost {

namespace {

// The largest count of one poll unit that the tree holds.
constexpr int64_t kLargestPollCount = 655350;

std::string Element(const char* name, const std::string& value) {
  return std::string("<") + name + ">" + XmlEscaped(value) + "</" + name + ">";
}

std::string Element(const char* name, int64_t value) {
  return Element(name, std::to_string(value));
}

// Milliseconds while they fit the tree's range, else whole seconds.
std::string PollElements(int64_t intervalMs) {
  const bool seconds = intervalMs > kLargestPollCount;
  const int64_t count = seconds ? (intervalMs + 500) / 1000 : intervalMs;
  return Element("PollInterval", count) + Element("PollUnits", seconds ? "S" : "MS");
}

std::string ItemXml(const TPlanItem& item) {
  return "      <Item>" + Element("Name", item.Name) + Element("Offset", item.Offset) +
         Element("Count", item.Count) + Element("DataType", item.DataType) +
         Element("Unsigned", item.Unsigned ? 1 : 0) + Element("Swapped", 1) + Element("LE", 0) +
         Element("AppendCnt", item.Bits ? 1 : 0) + Element("ZeroBaseCnt", 1) +
         Element("Scale", "1") + Element("Default", "0") + "</Item>\n";
}

std::string RequestXml(const TReadRequest& request, int64_t intervalMs) {
  std::string xml = "  <Request caption=\"" + XmlEscaped(request.Caption) + "\">\n";
  xml += "    " + Element("Enabled", 1) + Element("Area", request.Area) +
         Element("Datablock", request.DBNumber) + Element("Offset", request.Offset) +
         Element("Size", request.Size) + Element("Timeout", kReadTimeoutMs) + "\n";
  xml += "    <RequestMethod>" + Element("MethodOnce", 0) + "<MethodPoll>1" +
         PollElements(intervalMs) + "</MethodPoll></RequestMethod>\n";
  xml += "    <Response>\n";
  for (const TPlanItem& item : request.Items) xml += ItemXml(item);
  return xml + "    </Response>\n  </Request>\n";
}

// "--" may not appear inside an XML comment.
std::string CommentText(std::string text) {
  for (size_t at = text.find("--"); at != std::string::npos; at = text.find("--", at)) {
    text.replace(at, 2, "- -");
  }
  return text;
}

}  // namespace

std::string XmlEscaped(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&apos;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string RequestTreeXml(const std::vector<TReadRequest>& requests, int64_t intervalMs,
                           const std::string& origin) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  xml += "<!-- " + CommentText(origin) + " -->\n<MODBUSRTUQUERY>\n";
  for (const TReadRequest& request : requests) xml += RequestXml(request, intervalMs);
  return xml + "</MODBUSRTUQUERY>\n";
}

}  // namespace plchost
