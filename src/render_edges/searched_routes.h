// The planner's searches: into the facing ports in growing windows, then
// into any port, and the last resort (members of `EdgePlanner`).
#ifndef VANTRI_RENDER_EDGES_SEARCHED_ROUTES_H_
#define VANTRI_RENDER_EDGES_SEARCHED_ROUTES_H_

#include "render_edges/edge_planner.h"

#endif  // VANTRI_RENDER_EDGES_SEARCHED_ROUTES_H_
