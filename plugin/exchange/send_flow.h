// Sending drawing entities to the host map application: the selection (toolbar button) or a
// given list of entities (edits the plug-in synchronises), each entity into its layer's folder
// under the drawing's folder, with the host's answer linking every entity to its map object.
//
// A send is one synchronous flow on the main thread: the folders the layers need, then one
// SetObjTree with every object. The host answers inside that request with one header per
// object (message 20112), which `onObjectsAssigned` applies to the drawing's link cache while
// the send is still under way; the links reach the drawing at its next save.
#pragma once

#include <cstdint>
#include <vector>

#include "arx/dbid.h"
#include "hostlink/reply_decoders.h"

namespace vurk {

// What a send did, for the desk and the tests.
struct SendSummary {
  bool ran = false;           // the flow got past its checks and encoded the entities
  int entities = 0;           // entities taken from the selection or the list
  int records = 0;            // entries sent with the objects' SetObjTree
  int foldersAdded = 0;       // layer folders sent with the folders pass
  int assigned = 0;           // headers of the host's answers that linked something
  int status = 0;             // the objects' SetObjTree status (negative: failed)
};

// The toolbar's send: the pickfirst selection of the current drawing, grouped by layer; the
// layer folders that are missing in the host go first in a folders pass.
SendSummary sendSelection();
// The same for a list of entities (of the current drawing), without a folders pass; tiny
// entities near the origin (not points) are left out.
SendSummary sendEntities(const AcDbObjectIdArray& ids);
// The host's answer to a SetObjTree of the send under way: each header links the layer,
// entity or group it names to its map object. Headers of no send, or naming nothing that
// was sent, are ignored.
void onObjectsAssigned(const std::vector<AssignedObject>& headers);

// Erasing a linked entity: the map objects to delete are queued and deleted with one DelObj
// after the command (from a message the window posts to itself).
void QueueErasedEntity(const AcDbObjectId& id);
// Sends the queued deletions; the number of map objects deleted.
int DeleteQueuedObjects();

// Start-up / unload: the toolbar's send, the 20112 and 32816 routes and the erase watch.
void StartSendFlow();
void StopSendFlow();

}  // namespace vurk
