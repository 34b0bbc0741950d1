// SPDX-License-Identifier: MIT
#include <ostream>

#include "host/module_loader.h"
#include "scenehost/commands.h"
#include "scenehost/text_table.h"

namespace kv::scenehost {

void serversCommand(const std::string& modulePath, std::ostream& out) {
  const host::LoadedModule module(modulePath);
  TextTable table({"#", "class", "server", "user name", "menu group"}, {TextTable::Align::Right});
  for (std::size_t i = 0; i < module.servers().size(); ++i) {
    const host::ServerInfo& server = module.servers()[i];
    table.addRow({std::to_string(i + 1), server.className, server.name, server.tag(TAG_USER_NAME).value_or(""),
                  server.tag(TAG_MENU_GROUP).value_or("")});
  }
  out << module.path() << ": " << module.servers().size() << " servers\n" << table.render();
}

}  // namespace kv::scenehost
