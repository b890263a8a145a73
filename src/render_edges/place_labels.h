// Placing edge labels, end labels and external labels once every route is
// known.
//
// A label takes cells nothing else has: no box, line, arrowhead, cluster
// frame or other label, and it keeps a blank column between itself and
// another label on its rows. It goes next to what it labels: an edge's
// label and external label beside a cell of its route (nearest the route's
// middle first), a head or tail label beside the end cell at that end, a
// node's external label beside its box. When no such place is free, the
// label is wrapped narrower, then shortened with the render's trim
// strategy; only when even that finds no room does it go below the
// drawing, on rows of its own.
#ifndef VANTRI_RENDER_EDGES_PLACE_LABELS_H_
#define VANTRI_RENDER_EDGES_PLACE_LABELS_H_

#include "render_edges/plan_cells.h"
#include "render_edges/plan_routes.h"
#include "render_edges/route_plan.h"

namespace vantri {

/// Adds every label of `scene` to `plan`, marking its cells in `cells`.
void place_labels(PlanCells& cells, RoutePlan& plan, const RouteScene& scene);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_PLACE_LABELS_H_
