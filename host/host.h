// SPDX-License-Identifier: MIT
// Everything a user of the substitute host needs: a scene, its services, the
// loaded module and nodes driven through the module's interface.
//
//   kv::host::Scene scene;
//   kv::ItemId cube = scene.addObject("Cube");
//   kv::host::ServiceHost host(scene);
//   kv::host::LoadedModule module(KV_MODULE_PATH);
//   kv::host::HostNode node(host, module, "KvI_ITEMP");
#pragma once

#include "host/call_record.h"
#include "host/module_loader.h"
#include "host/node.h"
#include "host/node_ports.h"
#include "host/panel.h"
#include "host/saved_state.h"
#include "host/scene.h"
#include "host/services.h"
