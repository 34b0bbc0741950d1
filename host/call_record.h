// SPDX-License-Identifier: MIT
// Every call the substitute host receives from the module, in order, as one
// text line each: the service and operation, then the arguments separated by
// single blanks. Item identifiers are eight upper-case hex digits, doubles
// their shortest round-trip decimal form, names as given. The entries:
//
//   lookup <service name>
//   itemInfo.first <type> <owner>          itemInfo.next <id>
//   itemInfo.parent <id>                   itemInfo.name <id>
//   itemInfo.param <id> <code> <time>      boneInfo.restParam <id> <code>
//   node.setNodeColor <r> <g> <b>          node.setNodeOption <option>
//   input.create <type> <name>             output.create <type> <name>
//   input.isConnected <name>               input.evaluate <name>
//   output.setValue <name> <values...>     (3 doubles, 1 double or 1 integer by the output's type)
//   instanceUpdate <class name>
//   interfaceInfo.itemColor <id>           command <command text>
//   panel.create <type>                    panel.destroy
//   panel.describe                         panel.hint <id>
//   panel.getData <hex id>                 panel.setData <hex id>
//   panel.viewInstance                     panel.refresh
//   save.beginBlock <IDID> <token> <leaf>  save.endBlock
//   save.writeI4 <values...>               save.writeU4 <values...>   save.writeDP <values...>
//   load.findBlock <IDID, or 0>            load.endBlock
//   load.readI4 <asked> <read>             load.readU4 <asked> <read>  load.readDP <asked> <read>
//
// Thread-safe: evaluations may record from several threads at once.
// Recording every call costs text for each of them, which grows with the
// scene (a pop-up's listing walks the item list once per entry): a program
// that reads nothing of it switches it off, one that reads some keeps only that.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kv::host {

class CallRecord {
 public:
  // What is kept: every call (the default), none, or only the calls of one
  // operation (keepOnly("command") keeps the commands alone). Set it while
  // nothing records.
  void setEnabled(bool enabled) { keep_.store(enabled ? Keep::All : Keep::None, std::memory_order_relaxed); }
  void keepOnly(std::string_view operation);
  bool enabled() const { return keep_.load(std::memory_order_relaxed) != Keep::None; }
  bool keeps(std::string_view operation) const {
    const Keep keep = keep_.load(std::memory_order_relaxed);
    return keep == Keep::All || (keep == Keep::One && operation == kept_);
  }

  // Adds an entry whose operation is its text up to the first blank, if kept.
  void add(std::string entry);
  // Adds "<operation> <arguments()>" ("<operation>" when they are empty), if
  // kept; arguments() is called only then, so what is not kept costs no text.
  template <typename Arguments>
  void record(std::string_view operation, Arguments&& arguments) {
    if (keeps(operation)) append(operation, arguments());
  }
  void record(std::string_view operation) {
    if (keeps(operation)) append(operation, {});
  }
  void clear();

  std::vector<std::string> entries() const;  // a copy, in order
  std::size_t size() const;
  // Entries that start with `prefix`: their number, or the entries themselves.
  std::size_t count(std::string_view prefix) const;
  std::vector<std::string> matching(std::string_view prefix) const;
  // Whether an entry equals `entry` exactly.
  bool contains(std::string_view entry) const;

 private:
  enum class Keep { All, None, One };

  void append(std::string_view operation, const std::string& arguments);

  std::atomic<Keep> keep_{Keep::All};
  std::string kept_;  // the operation kept under Keep::One
  mutable std::mutex mutex_;
  std::vector<std::string> entries_;
};

// Formatting shared by every recorded entry.
std::string hexId(std::uint32_t id);           // eight upper-case hex digits
std::string formatDouble(double value);        // shortest form that reads back exactly
std::string fourCharacters(std::uint32_t id);  // a block ID as its four characters

}  // namespace kv::host
