// Routes of long forward edges through the ranks between their ends, the
// way `dot` found for them (members of `EdgePlanner`).
#ifndef VANTRI_RENDER_EDGES_GUIDED_ROUTES_H_
#define VANTRI_RENDER_EDGES_GUIDED_ROUTES_H_

#include "render_edges/edge_planner.h"

#endif  // VANTRI_RENDER_EDGES_GUIDED_ROUTES_H_
