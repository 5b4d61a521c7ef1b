#include "tests/e2e/ReaderBus.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kelto::e2e {

namespace {

using namespace std::chrono_literals;

std::optional<double> Number(const std::string& field) {
    if (field.empty()) return std::nullopt;
    return std::stod(field);
}

}  // namespace

bool ReaderNode::Has(const std::string& state) const {
    std::istringstream words(states);
    for (std::string word; std::getline(words, word, ',');) {
        if (word == state) return true;
    }
    return false;
}

std::string ToString(const ReaderNode& node) {
    std::ostringstream text;
    text << std::string(static_cast<std::size_t>(node.depth) * 2, ' ') << node.role << " \""
         << node.name << "\"";
    if (!node.description.empty()) text << " (" << node.description << ")";
    if (node.value)
        text << " value " << *node.value << " in " << *node.minimum << ".." << *node.maximum;
    if (!node.valueText.empty()) text << " \"" << node.valueText << "\"";
    if (!node.states.empty()) text << " [" << node.states << "]";
    return text.str();
}

ReaderBus::ReaderBus(const XDisplay& display) : display_(display) {
    const std::filesystem::path socket = folder_ / "session-bus";
    address_ = "unix:path=" + socket.string();
    sessionBus_ = std::make_unique<ChildProcess>(
        ChildProcess::Options{.argv = {"/usr/bin/dbus-daemon", "--session", "--nofork",
                                       "--nopidfile", "--address=" + address_},
                              .env = {},
                              .workDir = folder_.path(),
                              .log = folder_ / "session-bus.log"});
    if (!WaitUntil([&] { return std::filesystem::exists(socket); }, 90s)) {
        throw std::runtime_error("the private session bus did not start");
    }
    // The launcher starts the accessibility bus, and the registry on it, when
    // the first program asks for its address.
    launcher_ = std::make_unique<ChildProcess>(
        ChildProcess::Options{.argv = {"/usr/libexec/at-spi-bus-launcher"},
                              .env = {{"DBUS_SESSION_BUS_ADDRESS", address_},
                                      {"DISPLAY", display_.Name()},
                                      {"XDG_RUNTIME_DIR", folder_.path().string()}},
                              .workDir = folder_.path(),
                              .log = folder_ / "launcher.log"});
}

ReaderBus::~ReaderBus() {
    launcher_.reset();
    sessionBus_.reset();
}

std::map<std::string, std::string> ReaderBus::PlayerEnv() const {
    return {{"DBUS_SESSION_BUS_ADDRESS", address_},
            {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1"},
            {"AT_SPI_BUS_ADDRESS", ""}};
}

std::vector<ReaderNode> ReaderBus::ReadTree() const {
    const std::filesystem::path out = folder_ / "tree.txt";
    std::error_code ignored;
    std::filesystem::remove(out, ignored);
    std::optional<int> status;
    {
        ChildProcess reader(ChildProcess::Options{
            .argv = {"/usr/bin/python3", KELTO_READ_TREE_SCRIPT, out.string()},
            .env = {{"DBUS_SESSION_BUS_ADDRESS", address_},
                    {"DISPLAY", display_.Name()},
                    {"XDG_RUNTIME_DIR", folder_.path().string()}},
            .workDir = folder_.path(),
            .log = folder_ / "reader.log"});
        status = reader.WaitForExit(90s);
    }
    std::vector<ReaderNode> nodes;
    if (status != 0) return nodes;
    std::ifstream in(out);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
        fields.resize(9);
        ReaderNode node;
        node.depth = std::stoi(fields[0]);
        node.role = fields[1];
        node.name = fields[2];
        node.description = fields[3];
        node.value = Number(fields[4]);
        node.minimum = Number(fields[5]);
        node.maximum = Number(fields[6]);
        node.valueText = fields[7];
        node.states = fields[8];
        nodes.push_back(node);
    }
    return nodes;
}

}  // namespace kelto::e2e
