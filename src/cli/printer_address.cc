#include "cli/printer_address.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <unordered_map>

#include "cli/quote.h"
#include "platform/devices/ipv4.h"
#include "platform/devices/ipv6.h"
#include "platform/system/ascii_case.h"

namespace cli {
namespace {

constexpr char kForms[] =
    "accepted forms: tcp://HOST[:PORT] (HOST an IPv4 address, [IPv6] or a host name), "
    "/dev/usb/lpN (USB), serial:DEVICE[?OPTIONS], "
    "bt:DEVICE[?OPTIONS] (Bluetooth), COMn, or a device path such as /dev/ttyUSB0; "
    "OPTIONS are baud=, parity=none|odd|even, flow=none|dtr, data=7|8, stop=1|2 joined by '&'";
constexpr std::array<uint32_t, 7> kBaudRates = {2400, 4800, 9600, 19200, 38400, 57600, 115200};

std::string_view Trim(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

// A decimal without sign or spaces, within [low, high].
std::optional<uint32_t> Number(std::string_view text, uint32_t low, uint32_t high) {
  uint32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

// "COM" and 1..255 (any case, an optional trailing ':'), as the link's COM name mapping takes it:
// the canonical "COMn", or nullopt with `why` set when it is a COM name gone wrong.
std::optional<std::string> ComName(std::string_view text, std::string* why) {
  if (!platform::AsciiStartsWithNoCase(text, "com") || text.size() < 4) return std::nullopt;
  std::string_view digits = text.substr(3);
  if (digits.back() == ':') digits.remove_suffix(1);
  if (digits.empty() ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  const std::optional<uint32_t> number = digits[0] == '0' ? std::nullopt : Number(digits, 1, 255);
  if (!number) {
    *why = "COM ports are COM1 to COM255";
    return std::nullopt;
  }
  return "COM" + std::to_string(*number);
}

bool Fail(std::string* error, std::string_view text, const std::string& why) {
  if (error != nullptr) *error = QuotedPrefix(text) + ": " + why;
  return false;
}

// A host name as the name service takes it: dot-separated labels of letters, digits and '-'
// (not at either end of a label), at most 253 characters. A final dot is allowed.
bool IsHostName(std::string_view host) {
  if (!host.empty() && host.back() == '.') host.remove_suffix(1);
  if (host.empty() || host.size() > 253) return false;
  while (true) {
    const size_t dot = host.find('.');
    const std::string_view label = host.substr(0, dot);
    const bool ok = !label.empty() && label.size() <= 63 && label.front() != '-' &&
                    label.back() != '-' && std::all_of(label.begin(), label.end(), [](char c) {
                      return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
                    });
    if (!ok) return false;
    if (dot == std::string_view::npos) return true;
    host.remove_prefix(dot + 1);
  }
}

// HOST[:PORT] after tcp://, HOST an IPv4 address, an IPv6 address in brackets or a host name.
bool ParseTcp(std::string_view text, std::string_view rest, devlink::LinkSettings* out,
              std::string* error) {
  std::string host_text;
  std::optional<std::string_view> port_text;
  if (!rest.empty() && rest.front() == '[') {
    const size_t close = rest.find(']');
    if (close == std::string_view::npos) {
      return Fail(error, text, "missing ']' after the IPv6 address, e.g. tcp://[2001:db8::5]:9100");
    }
    const std::string_view inside = rest.substr(1, close - 1);
    const std::optional<std::string> canonical = platform::CanonicalIpv6(inside);
    if (!canonical) {
      return Fail(error, text, QuotedPrefix(inside) + " in brackets is not an IPv6 address");
    }
    const std::string_view after = rest.substr(close + 1);
    if (!after.empty() && after.front() != ':') {
      return Fail(error, text, "only :PORT may follow the ']' of an IPv6 address");
    }
    if (!after.empty()) port_text = after.substr(1);
    host_text = *canonical;
    // An IPv4-mapped address is that IPv4 printer, and is connected and told apart as it.
    constexpr std::string_view kMapped = "::ffff:";
    if (host_text.starts_with(kMapped) && platform::ParseIpv4(host_text.substr(kMapped.size()))) {
      host_text.erase(0, kMapped.size());
    }
  } else {
    if (std::count(rest.begin(), rest.end(), ':') > 1) {
      return Fail(
          error, text,
          "an IPv6 address goes in brackets, e.g. tcp://[2001:db8::5] or tcp://[2001:db8::5]:9100");
    }
    std::string_view host = rest;
    if (const size_t colon = rest.find(':'); colon != std::string_view::npos) {
      host = rest.substr(0, colon);
      port_text = rest.substr(colon + 1);
    }
    if (host.empty()) return Fail(error, text, "no address after tcp://");
    const bool dotted_digits = std::all_of(
        host.begin(), host.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
    // The link takes strict dotted decimal only, so the check is the same one.
    if (dotted_digits && !platform::ParseIpv4(host)) {
      return Fail(
          error, text,
          QuotedPrefix(host) + " is not an IPv4 address (four numbers 0 to 255, no leading zeros)");
    }
    if (!dotted_digits && !IsHostName(host)) {
      return Fail(error, text,
                  QuotedPrefix(host) +
                      " is not a host name (letters, digits and '-' between dots) or address");
    }
    // Names are looked up when the run reaches the printer; case does not matter to them.
    host_text = dotted_digits ? std::string(host) : platform::AsciiLower(host);
  }
  uint32_t port = kDefaultTcpPort;
  if (port_text) {
    const bool digits =
        !port_text->empty() && std::all_of(port_text->begin(), port_text->end(),
                                           [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) return Fail(error, text, "the port must be a number from 1 to 65535");
    // Leading zeros change nothing ("09100" is 9100); only the digits after them count.
    std::string_view number = *port_text;
    while (number.size() > 1 && number.front() == '0') number.remove_prefix(1);
    const std::optional<uint32_t> value =
        number.size() > 5 ? std::nullopt : Number(number, 1, 65535);
    if (!value) return Fail(error, text, "port out of range (1 to 65535)");
    port = *value;
  }
  out->interface = devlink::CDev::kInterfaceTcp;
  out->port_name = host_text;
  out->tcp_port = port;
  return true;
}

bool ApplyOption(std::string_view text, std::string_view key, std::string_view value,
                 bool bluetooth, devlink::LinkSettings* out, std::string* error) {
  const std::string v = platform::AsciiLower(value);
  if (key == "baud") {
    const std::optional<uint32_t> baud = Number(value, 1, 115200);
    if (!baud || std::find(kBaudRates.begin(), kBaudRates.end(), *baud) == kBaudRates.end()) {
      return Fail(error, text, "baud must be one of 2400, 4800, 9600, 19200, 38400, 57600, 115200");
    }
    out->baud_rate = *baud;
  } else if (key == "parity") {
    if (v == "none") {
      out->parity = 0;
    } else if (v == "odd") {
      out->parity = 1;
    } else if (v == "even") {
      out->parity = 2;
    } else {
      return Fail(error, text, "parity must be none, odd or even");
    }
  } else if (key == "flow") {
    // The link always runs a Bluetooth port with its handshake lines on; a choice here would be
    // silently ignored.
    if (bluetooth) return Fail(error, text, "flow cannot be set on a Bluetooth port");
    if (v == "none") {
      out->flow_control = 0;
    } else if (v == "dtr") {
      out->flow_control = 1;
    } else {
      return Fail(error, text, "flow must be none or dtr");
    }
  } else if (key == "data") {
    if (v != "7" && v != "8") return Fail(error, text, "data must be 7 or 8");
    out->data_bits = v == "7" ? 7 : 8;
  } else if (key == "stop") {
    if (v != "1" && v != "2") return Fail(error, text, "stop must be 1 or 2");
    out->stop_bits = v == "1" ? 0 : 2;
  } else {
    return Fail(
        error, text,
        "unknown option " + QuotedPrefix(key) + " (options: baud, parity, flow, data, stop)");
  }
  return true;
}

// DEVICE[?OPTIONS] of a serial or Bluetooth port.
// `prefix` is how the address named the kind ("serial:", "bt:", or nothing for a bare device).
bool ParseSerial(std::string_view text, std::string_view prefix, bool bluetooth,
                 devlink::LinkSettings* out, std::string* error) {
  const std::string_view rest = text.substr(prefix.size());
  std::string_view device = rest;
  std::optional<std::string_view> options;
  if (const size_t mark = rest.find('?'); mark != std::string_view::npos) {
    device = rest.substr(0, mark);
    options = rest.substr(mark + 1);
  }
  std::string why;
  if (std::optional<std::string> com = ComName(device, &why)) {
    out->port_name = *com;
  } else if (!why.empty()) {
    return Fail(error, text, why);
  } else if (device.size() > 1 && device.front() == '/') {
    out->port_name = std::string(device);
  } else if (prefix.empty()) {
    return Fail(error, text, std::string("not a printer address; ") + kForms);
  } else {
    return Fail(error, text,
                std::string(prefix) + " needs a device path (e.g. /dev/ttyUSB0) or a COM name");
  }
  out->interface = bluetooth ? devlink::CDev::kInterfaceBluetooth : devlink::CDev::kInterfaceSerial;
  if (!options) return true;
  std::vector<std::string> seen;
  std::string_view list = *options;
  while (true) {
    const size_t amp = list.find('&');
    const std::string_view option = list.substr(0, amp);
    const size_t equals = option.find('=');
    if (option.empty() || equals == std::string_view::npos || equals == 0 ||
        equals + 1 == option.size()) {
      return Fail(error, text,
                  "options are written key=value joined by '&', e.g. ?baud=9600&parity=even");
    }
    const std::string key = platform::AsciiLower(option.substr(0, equals));
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) {
      return Fail(error, text, "option " + QuotedPrefix(key) + " given twice");
    }
    seen.push_back(key);
    if (!ApplyOption(text, key, option.substr(equals + 1), bluetooth, out, error)) return false;
    if (amp == std::string_view::npos) break;
    list.remove_prefix(amp + 1);
  }
  return true;
}

}  // namespace

std::optional<PrinterAddress> ParsePrinterAddress(std::string_view text, std::string* error) {
  text = Trim(text);
  if (text.empty()) {
    if (error != nullptr) *error = std::string("empty printer address; ") + kForms;
    return std::nullopt;
  }
  PrinterAddress address;
  address.text = std::string(text);
  bool ok = false;
  if (platform::AsciiStartsWithNoCase(text, "tcp://")) {
    ok = ParseTcp(text, text.substr(6), &address.link, error);
  } else if (platform::AsciiStartsWithNoCase(text, "serial:")) {
    ok = ParseSerial(text, text.substr(0, 7), /*bluetooth=*/false, &address.link, error);
  } else if (platform::AsciiStartsWithNoCase(text, "bt:")) {
    ok = ParseSerial(text, text.substr(0, 3), /*bluetooth=*/true, &address.link, error);
  } else if (text.substr(0, 11) == "/dev/usb/lp") {
    if (text.size() == 11 || text.find_first_of("/?", 11) != std::string_view::npos) {
      Fail(error, text, "a USB printer is given by its device path alone, e.g. /dev/usb/lp0");
      return std::nullopt;
    }
    address.link.interface = devlink::CDev::kInterfaceUsb;
    address.link.port_name = std::string(text);
    ok = true;
  } else if (text.front() == '/' || platform::AsciiStartsWithNoCase(text, "com")) {
    // Bound Bluetooth serial ports are rfcomm devices; they need the Bluetooth line handling.
    const bool bluetooth = text.substr(0, 11) == "/dev/rfcomm";
    ok = ParseSerial(text, "", bluetooth, &address.link, error);
  } else {
    // HOST[:PORT] without its scheme is the likeliest slip: offer the address it would make.
    devlink::LinkSettings as_tcp;
    const std::string with_scheme = "tcp://" + std::string(text);
    const std::string hint = ParseTcp(with_scheme, text, &as_tcp, nullptr)
                                 ? "did you mean " + with_scheme + "? "
                                 : std::string();
    Fail(error, text, "not a printer address; " + hint + kForms);
  }
  if (!ok) return std::nullopt;
  if (address.link.port_name.find_first_of(" \t") != std::string::npos) {
    Fail(error, text, "an address contains no spaces");
    return std::nullopt;
  }
  return address;
}

std::string PrinterKey(const PrinterAddress& address) {
  if (address.link.interface == devlink::CDev::kInterfaceTcp) {
    return "tcp " + address.link.port_name + ":" + std::to_string(address.link.tcp_port);
  }
  return "device " + address.link.port_name;
}

bool ParsePrinterList(std::string_view text, const std::string& file_name,
                      std::vector<PrinterAddress>* out, std::string* error) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte order mark
  std::vector<PrinterAddress> list;
  std::unordered_map<std::string, int> line_of;  // PrinterKey -> line
  std::string errors;
  size_t bad_lines = 0;
  const auto note = [&](int line, const std::string& why) {
    if (++bad_lines > kMaxReportedBadLines) return;
    if (!errors.empty()) errors += '\n';
    errors += file_name + ":" + std::to_string(line) + ": " + why;
  };
  int line_number = 0;
  for (size_t pos = 0; pos <= text.size();) {
    ++line_number;
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    line = Trim(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    if (line.find_first_of(" \t") != std::string_view::npos) {
      note(line_number, "one address a line (a comment starts with '#'): " + QuotedPrefix(line));
      continue;
    }
    std::string why;
    std::optional<PrinterAddress> address = ParsePrinterAddress(line, &why);
    if (!address) {
      note(line_number, why);
      continue;
    }
    // Two sessions on one printer would fight over it.
    if (const auto [it, added] = line_of.emplace(PrinterKey(*address), line_number); !added) {
      note(line_number, QuotedPrefix(address->text) + " is the printer of line " +
                            std::to_string(it->second) + " again");
      continue;
    }
    list.push_back(std::move(*address));
  }
  if (bad_lines > kMaxReportedBadLines) {
    errors += "\n" + file_name + ": " + std::to_string(bad_lines - kMaxReportedBadLines) +
              " more bad lines (" + std::to_string(bad_lines) + " in all)";
  }
  if (errors.empty() && list.empty()) {
    errors = file_name + ": no printer addresses (only blank lines and comments)";
  }
  if (!errors.empty()) {
    if (error != nullptr) *error = errors;
    return false;
  }
  *out = std::move(list);
  return true;
}

}  // namespace cli
