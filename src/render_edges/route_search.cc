// A* over the free cells of a window: setting up, checking whether the
// ends are walled in, searching, and walking the route back.
#include "render_edges/route_search.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>

#include <sys/mman.h>

namespace vantri {

void SearchScratch::Unmap::operator()(Cell* cells) const { munmap(cells, bytes); }

bool SearchScratch::begin(std::size_t cells) {
  if (capacity_ < cells) {
    // Grown at least twofold, so that windows widening one search after
    // another cost a few allocations, not one each.
    const std::size_t grown = std::max(cells, capacity_ * 2);
    cells_.reset();
    capacity_ = 0;
    if (grown > SIZE_MAX / sizeof(Cell)) return false;
    const std::size_t bytes = grown * sizeof(Cell);
    void* pages = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) return false;
    cells_ = std::unique_ptr<Cell[], Unmap>(static_cast<Cell*>(pages), Unmap{bytes});
    capacity_ = grown;
    search_ = 0;
  }
  if (++search_ == 0) {
    std::memset(static_cast<void*>(cells_.get()), 0, capacity_ * sizeof(Cell));
    search_ = 1;
  }
  queue_.clear();
  return true;
}

namespace {

constexpr std::uint32_t kUnreached = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint8_t kNowhere = 4;

bool horizontal(Toward d) { return d == Toward::Left || d == Toward::Right; }

// What a window cell allows, worked out on first sight.
enum Mode : std::uint8_t {
  kUnknown, kFree, kNear, kFramed, kShared, kAcrossOnly, kAlongOnly, kOverLines, kBlocked
};

// Whether a port's way out of (or into) its box is open.
enum class Way : std::uint8_t { Open, Walled, PastWindow };

// One search: the request, the window's cells in the scratch memory, and
// the target rectangle the estimate aims at.
class Search {
 public:
  Search(const PlanCells& cells, const SearchRequest& request, const PlannerLimits& limits,
         SearchScratch& scratch, CellRect window)
      : cells_(cells), req_(request), limits_(limits), scratch_(scratch), w_(window),
        cols_(window.right - window.left + 1), rows_(window.bottom - window.top + 1),
        cols32_(static_cast<std::uint32_t>(cols_)) {}

  // Sets the search up; false when it ends there (no usable target, or
  // the ends walled in).
  bool begin() {
    if (!mark_ports()) return false;
    const Way into_targets = req_.turn_at_ports ? Way::Open : ways(req_.to, false);
    const Way out_of_starts =
        into_targets == Way::Open && !req_.turn_at_ports ? ways(req_.from, true) : Way::Open;
    if (into_targets != Way::Open || out_of_starts != Way::Open) {
      out_.walled = into_targets == Way::Walled || out_of_starts == Way::Walled;
      return false;
    }
    seed();
    return true;
  }

  // Visits up to `visits` more states; true when the search has ended.
  bool advance(std::size_t visits) { return explore(visits); }

  // How it ended, with the route walked back from its last state.
  SearchOutcome finish() {
    if (best_) {
      out_.cost = best_cost_;
      out_.route = walk_back(best_->first, best_->second);
    }
    return std::move(out_);
  }

  // Whether it ended having visited every state it could reach, finding
  // none of the targets (a search from the other end finds none either).
  bool exhausted() const { return !best_ && !out_.stopped && !out_.went_on; }
  bool found() const { return best_.has_value(); }
  // The least estimate of a route still waiting to be looked at.
  std::uint32_t frontier() {
    SearchQueue& queue = scratch_.queue();
    return queue.empty() ? kUnreached : queue.lowest();
  }
  std::size_t visited() const { return out_.visited; }

 private:
  bool inside(GridPoint p) const { return w_.contains(p); }
  std::uint32_t index(GridPoint p) const {
    return static_cast<std::uint32_t>((p.row - w_.top) * cols_ + (p.col - w_.left));
  }
  GridPoint point_of(std::uint32_t cell) const {
    const std::uint32_t row = cell / cols32_;
    return {w_.top + row, w_.left + (cell - row * cols32_)};
  }

  SearchScratch::Cell& touch(std::uint32_t cell) {
    SearchScratch::Cell& c = scratch_.cell(cell);
    if (c.search != scratch_.search()) {
      c.search = scratch_.search();
      c.target = 0;
      c.mode = kUnknown;
      c.start = false;
      std::fill(std::begin(c.cost), std::end(c.cost), kUnreached);
      std::fill(std::begin(c.came_from), std::end(c.came_from), kNowhere);
    }
    return c;
  }
  std::uint32_t& cost_of(std::uint32_t state) { return scratch_.cell(state / 4).cost[state % 4]; }
  std::uint8_t& came_from(std::uint32_t state) {
    return scratch_.cell(state / 4).came_from[state % 4];
  }

  std::uint8_t mode_of(std::uint32_t cell) {
    const std::uint8_t m = touch(cell).mode;
    return m != kUnknown ? m : first_mode(cell, point_of(cell));
  }
  // The same for a cell whose place is known.
  std::uint8_t mode_at(std::uint32_t cell, GridPoint p) {
    const std::uint8_t m = touch(cell).mode;
    return m != kUnknown ? m : first_mode(cell, p);
  }
  std::uint8_t first_mode(std::uint32_t cell, GridPoint p) {
    std::uint8_t& m = scratch_.cell(cell).mode;
    const PlanCell c = cells_.at(p.row, p.col);
    switch (cell_use(c, PlanCell::kBent, req_.groups)) {
      case CellUse::Shared: return m = kShared;
      case CellUse::Free:
        return m = (c.what & PlanCell::kFrame)     ? kFramed
                   : (c.what & PlanCell::kNearBox) ? kNear
                                                   : kFree;
      default: break;
    }
    if (req_.no_crossings) return m = kBlocked;
    if (cell_use(c, PlanCell::kAcross, req_.groups) != CellUse::Blocked) return m = kAcrossOnly;
    if (cell_use(c, PlanCell::kAlong, req_.groups) != CellUse::Blocked) return m = kAlongOnly;
    if (req_.over_lines != 0 &&
        !(c.what & (PlanCell::kBox | PlanCell::kLabel | PlanCell::kArrow))) {
      return m = kOverLines;
    }
    return m = kBlocked;
  }

  std::optional<GridPoint> beside(GridPoint p, Toward d) const { return cell_beside(cells_, p, d); }

  // The window cell one step back from `cell` against `heading`.
  std::uint32_t step_back(std::uint32_t cell, Toward heading) const {
    switch (heading) {
      case Toward::Up: return cell + static_cast<std::uint32_t>(cols_);
      case Toward::Down: return cell - static_cast<std::uint32_t>(cols_);
      case Toward::Left: return cell + 1;
      case Toward::Right: return cell - 1;
    }
    return cell;
  }

  // Whether a cell beside `p` holds a crossing (lines in all four
  // directions), or, with `meetings`, an arrowhead or a junction; only
  // the directions in `dirs` are looked at.
  bool crossing_beside(GridPoint p, std::uint8_t dirs) const {
    for (const Toward d : {Toward::Up, Toward::Down, Toward::Left, Toward::Right}) {
      if (!(dirs & arm(d))) continue;
      const std::optional<GridPoint> n = beside(p, d);
      if (n && arm_count(cells_.at(n->row, n->col).arms) == 4) return true;
    }
    return false;
  }
  bool meeting_beside(GridPoint p, std::uint8_t dirs) const {
    for (const Toward d : {Toward::Up, Toward::Down, Toward::Left, Toward::Right}) {
      if (!(dirs & arm(d))) continue;
      const std::optional<GridPoint> n = beside(p, d);
      if (!n) continue;
      const PlanCell c = cells_.at(n->row, n->col);
      if ((c.what & PlanCell::kArrow) || arm_count(c.arms) == 3) return true;
    }
    return false;
  }

  // Whether the route, arrived in `cell` heading `heading` from state
  // `state` and leaving it towards `next`, keeps its crossings clear of
  // arrowheads and junctions there.
  bool reads_clearly(std::uint32_t state, std::uint32_t cell, std::uint8_t here, Toward heading,
                     Toward next, bool at_start) {
    const bool crossing = here == kAcrossOnly || here == kAlongOnly;
    if (!crossing && here != kShared && !at_start) return true;
    const GridPoint p = point_of(cell);
    constexpr std::uint8_t kAll = 15;
    if (crossing) {
      // Crossing here: the crossed line's cells beside it, and the cell
      // it came from, may not be an arrowhead or a junction.
      const std::uint8_t across = horizontal(heading) ? arm(Toward::Up) | arm(Toward::Down)
                                                      : arm(Toward::Left) | arm(Toward::Right);
      if (meeting_beside(p, across)) return false;
      const std::uint8_t before = came_from(state);
      if (before == kNowhere) return true;
      const std::optional<GridPoint> back = beside(p, opposite(heading));
      if (!back) return true;
      const std::uint32_t back_cell = index(*back);
      const std::uint32_t back_state = back_cell * 4 + before;
      if (came_from(back_state) == kNowhere) return !req_.arrow_at_start;
      const PlanCell b = cells_.at(back->row, back->col);
      const std::uint8_t ours = arm(opposite(static_cast<Toward>(before))) | arm(heading);
      return (b.what & PlanCell::kLines) == 0 || arm_count(b.arms | ours) < 3;
    }
    const PlanCell c = cells_.at(p.row, p.col);
    if ((c.what & PlanCell::kLines) == 0) return true;
    if (arm_count(c.arms | arm(opposite(heading)) | arm(next)) < 3) return true;
    // A junction here: no crossing beside it, neither one already there
    // nor the one the route made just before.
    if (crossing_beside(p, kAll)) return false;
    if (at_start) return true;
    const std::optional<GridPoint> back = beside(p, opposite(heading));
    if (!back) return true;
    const std::uint8_t back_mode = mode_of(index(*back));
    return back_mode != kAcrossOnly && back_mode != kAlongOnly;
  }

  // Whether an arrowhead may end the route in `cell`, arrived from a cell
  // of mode `from_mode`: no crossing beside it.
  bool arrow_reads_clearly(std::uint32_t cell, std::uint8_t from_mode) const {
    if (from_mode == kAcrossOnly || from_mode == kAlongOnly) return false;
    return !crossing_beside(point_of(cell), 15);
  }

  bool start_has_lines(std::uint32_t cell) const {
    const GridPoint p = point_of(cell);
    return (cells_.at(p.row, p.col).what & PlanCell::kLines) != 0;
  }

  std::uint32_t estimate(GridPoint p) const {
    const std::uint64_t dr = p.row < targets_.top      ? targets_.top - p.row
                             : p.row > targets_.bottom ? p.row - targets_.bottom
                                                       : 0;
    const std::uint64_t dc = p.col < targets_.left    ? targets_.left - p.col
                             : p.col > targets_.right ? p.col - targets_.right
                                                      : 0;
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(
            (dr + dc) * (req_.greedy ? limits_.greedy_last_resort : limits_.greedy_step),
            1u << 30));
  }

  void push(std::uint32_t state, std::uint32_t g, GridPoint at) {
    scratch_.queue().push({g + estimate(at), g, state});
  }

  // Records the usable targets and starts in the window; false when no
  // target is usable.
  bool mark_ports() {
    bool any = false;
    for (const RoutePort& port : req_.to) {
      if (!inside(port.cell) ||
          !port_usable(cells_, port.cell, req_.groups, req_.reversed, req_.arrow_at_end)) {
        continue;
      }
      std::uint32_t& slot = touch(index(port.cell)).target;
      if (slot == 0 || req_.to[slot - 1].cost > port.cost) {
        slot = static_cast<std::uint32_t>(&port - req_.to.data()) + 1;
      }
      const CellRect here{port.cell.col, port.cell.row, port.cell.col, port.cell.row};
      targets_ = any ? CellRect{std::min(targets_.left, here.left), std::min(targets_.top, here.top),
                                std::max(targets_.right, here.right),
                                std::max(targets_.bottom, here.bottom)}
                     : here;
      any = true;
    }
    for (const RoutePort& port : req_.from) {
      if (inside(port.cell) &&
          port_usable(cells_, port.cell, req_.groups, !req_.reversed, req_.arrow_at_start)) {
        touch(index(port.cell)).start = true;
      }
    }
    return any;
  }

  // A route runs straight from its start port, and straight into its
  // target, through every cell in line with the port up to the first one
  // where it may turn. When other lines that it can only cross wall in
  // every target, or every start, there is no route, and the search would
  // comb the whole window to learn it.
  Way in_the_open(const RoutePort& port) {
    const Toward away = opposite(port.into);
    const bool across = horizontal(away);
    GridPoint p = port.cell;
    while (true) {
      switch (away) {
        case Toward::Up: if (p.row == w_.top) return Way::PastWindow; --p.row; break;
        case Toward::Down: if (p.row == w_.bottom) return Way::PastWindow; ++p.row; break;
        case Toward::Left: if (p.col == w_.left) return Way::PastWindow; --p.col; break;
        case Toward::Right: if (p.col == w_.right) return Way::PastWindow; ++p.col; break;
      }
      const std::uint32_t cell = index(p);
      const SearchScratch::Cell& c = touch(cell);
      if (c.start || c.target != 0) return Way::Open;
      switch (mode_of(cell)) {
        case kFree: case kNear: case kFramed: case kShared: case kOverLines: return Way::Open;
        case kAcrossOnly: if (!across) return Way::Walled; break;
        case kAlongOnly: if (across) return Way::Walled; break;
        default: return Way::Walled;
      }
    }
  }

  // Open when one port is; walled when every port is walled in.
  Way ways(std::span<const RoutePort> ports, bool start) {
    Way way = Way::Walled;
    for (const RoutePort& port : ports) {
      if (!inside(port.cell)) continue;
      const SearchScratch::Cell& c = touch(index(port.cell));
      if (start ? !c.start : c.target != static_cast<std::uint32_t>(&port - ports.data()) + 1) {
        continue;
      }
      const Way here = c.start && c.target != 0 ? Way::Open : in_the_open(port);
      if (here == Way::Open) return here;
      if (here == Way::PastWindow) way = here;
    }
    return way;
  }

  // What leaving a cell of mode `here` towards `next`, arriving heading
  // `heading`, costs; nothing when the route may not.
  std::optional<std::uint32_t> step_cost(std::uint8_t here, Toward heading, Toward next,
                                         bool at_start) const {
    const bool straight = next == heading;
    if (at_start) {
      if (!straight) return std::nullopt;  // a route leaves its box straight
      return limits_.step;
    }
    std::uint32_t cost = limits_.step;
    switch (here) {
      case kShared: cost = limits_.shared_step; break;
      case kNear: cost += limits_.near_box; break;
      case kFramed: cost += limits_.frame; break;
      case kAcrossOnly:
        if (!straight || !horizontal(next)) return std::nullopt;
        cost += limits_.cross;
        break;
      case kAlongOnly:
        if (!straight || horizontal(next)) return std::nullopt;
        cost += limits_.cross;
        break;
      case kOverLines: cost += req_.over_lines; break;
      default: break;
    }
    if (!straight) cost += limits_.bend;
    return cost;
  }

  // The search loop: the final state and its target port, or nothing.
  // A state is a cell and the direction the route moves in when it leaves
  // that cell's predecessor (for a port: away from the box).
  void seed() {
    limit_ = req_.visit_limit;
    first_found_ = req_.first_found;
    for (const RoutePort& port : req_.from) {
      if (!inside(port.cell) ||
          !port_usable(cells_, port.cell, req_.groups, !req_.reversed, req_.arrow_at_start)) {
        continue;
      }
      const std::uint32_t state =
          index(port.cell) * 4 + static_cast<std::uint32_t>(opposite(port.into));
      touch(state / 4);
      // An arrowhead here with a crossing beside it would read as part of
      // it, as at the far end.
      const std::uint32_t cost =
          port.cost + (req_.clear_crossings && req_.arrow_at_start &&
                               !arrow_reads_clearly(state / 4, kFree)
                           ? limits_.touching
                           : 0);
      if (cost < cost_of(state)) {
        cost_of(state) = cost;
        push(state, cost, port.cell);
      }
    }
  }

  // The search loop, for up to `visits` states: true when it has ended,
  // with the final state and its target port in `best_` if it found one.
  bool explore(std::size_t visits) {
    SearchQueue& queue = scratch_.queue();
    SearchOutcome& out = out_;
    std::optional<std::pair<std::uint32_t, RoutePort>>& best = best_;
    std::size_t& limit = limit_;
    bool& first_found = first_found_;
    while (true) {
      if (queue.empty() || (best && first_found)) return true;
      if (visits-- == 0) return false;
      if (must_stop(req_.stop)) return true;
      if (++out.visited == limit) {
        if (best || out.went_on || req_.then_any_limit <= out.visited) {
          out.stopped = true;
          return true;
        }
        out.went_on = true;
        first_found = true;
        limit = req_.then_any_limit;
      }
      const SearchQueue::Entry top = queue.pop();
      if (top.f >= best_cost_) return true;
      const std::uint32_t state = top.state;
      const std::uint32_t cost = top.g;
      if (cost != cost_of(state)) continue;  // stale
      const std::uint32_t cell = state / 4;
      const std::uint64_t r = cell / cols32_;
      const std::uint64_t c = cell - r * cols32_;
      const auto heading = static_cast<Toward>(state % 4);
      const bool at_start = came_from(state) == kNowhere;
      const std::uint8_t here = at_start ? std::uint8_t{kFree} : mode_of(cell);
      // Lines already in the cell (its own network's, or a port's fellow
      // lines): the route may not give them a fourth direction.
      const bool has_lines = here == kShared || (at_start && start_has_lines(cell));
      const PlanCell lines_here =
          has_lines ? cells_.at(w_.top + r, w_.left + c) : PlanCell{};
      for (const Toward next : {Toward::Up, Toward::Down, Toward::Left, Toward::Right}) {
        if (next == opposite(heading)) continue;
        const std::optional<std::uint32_t> step =
            step_cost(here, heading, next, at_start && !req_.turn_at_ports);
        if (!step) continue;
        // Straight across a straight line of its own network is a
        // crossing, as across another's.
        std::uint8_t as = here;
        if (has_lines && !arms_fit(lines_here, arm(opposite(heading)) | arm(next))) {
          const std::uint8_t lines = lines_here.what & PlanCell::kLines;
          const bool across = next == heading && !at_start &&
                              ((lines == PlanCell::kAlong && horizontal(next)) ||
                               (lines == PlanCell::kAcross && !horizontal(next)));
          if (!across) continue;
          as = horizontal(next) ? kAcrossOnly : kAlongOnly;
        }
        const std::uint32_t touching =
            req_.clear_crossings && !reads_clearly(state, cell, as, heading, next, at_start)
                ? limits_.touching
                : 0;
        std::uint64_t qr = r, qc = c;
        switch (next) {
          case Toward::Up: if (r == 0) continue; --qr; break;
          case Toward::Down: if (r + 1 == rows_) continue; ++qr; break;
          case Toward::Left: if (c == 0) continue; --qc; break;
          case Toward::Right: if (c + 1 == cols_) continue; ++qc; break;
        }
        const auto q_cell = static_cast<std::uint32_t>(qr * cols_ + qc);
        const std::uint32_t q_cost = cost + *step + (as != here ? limits_.cross : 0) + touching;
        const std::uint32_t q_state = q_cell * 4 + static_cast<std::uint32_t>(next);
        // A route never comes back to the port it left by.
        if (touch(q_cell).start && passes(state, q_cell)) continue;
        const std::uint32_t target = scratch_.cell(q_cell).target;
        if (target != 0 &&
            (req_.to[target - 1].into == next ||
             (req_.turn_at_ports && next != opposite(req_.to[target - 1].into))) &&
            arms_fit(cells_.at(w_.top + qr, w_.left + qc), arm(opposite(next)) | arm(next))) {
          const bool clear = !req_.clear_crossings || !req_.arrow_at_end ||
                             arrow_reads_clearly(q_cell, as);
          const std::uint32_t total = q_cost + req_.to[target - 1].cost + (clear ? 0 : limits_.touching);
          if (total < best_cost_ && !passes(state, q_cell)) {
            best_cost_ = total;
            came_from(q_state) = static_cast<std::uint8_t>(state % 4);
            best = {{q_state, req_.to[target - 1]}};
            if (first_found) break;
          }
        }
        if (mode_at(q_cell, {w_.top + qr, w_.left + qc}) == kBlocked) continue;
        if (q_cost < cost_of(q_state)) {
          cost_of(q_state) = q_cost;
          came_from(q_state) = static_cast<std::uint8_t>(state % 4);
          push(q_state, q_cost, {w_.top + qr, w_.left + qc});
        }
      }
    }
  }

  // Whether the way to `state` passes the cell `cell` (a target would end
  // on its own line, a start port would be passed twice).
  bool passes(std::uint32_t state, std::uint32_t cell) {
    std::uint32_t at = state / 4;
    auto heading = static_cast<Toward>(state % 4);
    while (true) {
      if (at == cell) return true;
      const std::uint8_t before = scratch_.cell(at).came_from[static_cast<std::uint8_t>(heading)];
      if (before == kNowhere) return false;
      at = step_back(at, heading);
      heading = static_cast<Toward>(before);
    }
  }

  // The route from its start to the final state, keeping the corners.
  EdgeRoute walk_back(std::uint32_t final_state, const RoutePort& target) {
    std::vector<GridPoint> cells_back;
    std::vector<Toward> headings;
    std::uint32_t cell = final_state / 4;
    auto heading = static_cast<Toward>(final_state % 4);
    while (true) {
      cells_back.push_back(point_of(cell));
      headings.push_back(heading);
      const std::uint8_t before =
          scratch_.cell(cell).came_from[static_cast<std::uint8_t>(heading)];
      if (before == kNowhere) break;
      // Back one step against the heading it arrived in.
      cell = step_back(cell, heading);
      heading = static_cast<Toward>(before);
    }
    EdgeRoute route;
    route.arrow_at_start = req_.arrow_at_start;
    route.arrow_at_end = req_.arrow_at_end;
    route.end_into = target.into;
    const std::size_t n = cells_back.size();
    // cells_back[n - 1] is the start; its heading is away from the tail box.
    route.start_into = opposite(headings[n - 1]);
    route.points.push_back(cells_back[n - 1]);
    for (std::size_t i = n - 1; i-- > 0;) {
      // A corner where the heading into this cell differs from the next one.
      if (i > 0 && headings[i] != headings[i - 1]) route.points.push_back(cells_back[i]);
    }
    if (n > 1) route.points.push_back(cells_back[0]);
    return route;
  }

  const PlanCells& cells_;
  const SearchRequest& req_;
  const PlannerLimits& limits_;
  SearchScratch& scratch_;
  const CellRect w_;
  const std::uint64_t cols_;
  const std::uint64_t rows_;
  // The width again, for the cheaper 32-bit division: a window holds no
  // more than 2^30 cells.
  const std::uint32_t cols32_;
  CellRect targets_;
  std::uint32_t best_cost_ = kUnreached;
  SearchOutcome out_;
  std::optional<std::pair<std::uint32_t, RoutePort>> best_;
  std::size_t limit_ = 0;
  bool first_found_ = false;
};

// The request's window within the canvas, with its scratch memory made
// ready; nothing when it is empty or too large.
std::optional<CellRect> ready_window(const PlanCells& cells, const SearchRequest& request,
                                     const PlannerLimits& limits, SearchScratch& scratch) {
  if (cells.height() == 0 || cells.width() == 0) return std::nullopt;
  CellRect w = request.window;
  w.bottom = std::min(w.bottom, cells.height() - 1);
  w.right = std::min(w.right, cells.width() - 1);
  if (w.top > w.bottom || w.left > w.right) return std::nullopt;
  const std::uint64_t area = (w.bottom - w.top + 1) * (w.right - w.left + 1);
  // A state (cell and direction) is numbered in 32 bits.
  constexpr std::uint64_t kMostCells = std::uint64_t{1} << 30;
  if (area > std::min(limits.max_window_cells, kMostCells) ||
      !scratch.begin(static_cast<std::size_t>(area))) {
    return std::nullopt;
  }
  return w;
}

}  // namespace

SearchOutcome search_route(const PlanCells& cells, const SearchRequest& request,
                           const PlannerLimits& limits, SearchScratch& scratch) {
  const std::optional<CellRect> w = ready_window(cells, request, limits, scratch);
  if (!w) return {};
  Search search(cells, request, limits, scratch, *w);
  if (search.begin()) search.advance(SIZE_MAX);
  return search.finish();
}

BothWaysOutcome search_both_ways(const PlanCells& cells, const SearchRequest& forward,
                                 const SearchRequest& backward, const PlannerLimits& limits,
                                 SearchScratch& forward_scratch, SearchScratch& backward_scratch) {
  const std::optional<CellRect> w = ready_window(cells, forward, limits, forward_scratch);
  if (!w || !ready_window(cells, backward, limits, backward_scratch)) return {};
  Search ahead(cells, forward, limits, forward_scratch, *w);
  Search back(cells, backward, limits, backward_scratch, *w);
  // Either one ending at its start (no usable port, or walled in) says so
  // for both.
  if (!ahead.begin()) return {ahead.finish(), false};
  if (!back.begin()) return {back.finish(), true};
  // A few states at a time, from the end whose search has come further:
  // the one whose least waiting estimate is higher, the search from the
  // tail leading by `back_search_lead`. A search combing round a pocket
  // climbs slowly through the estimates below the route's cost, while one
  // out of the pocket reaches that cost in a few steps and then heads
  // straight for the other end. One that found a route, or every state it
  // could reach, decides; one stopped by its visit limit leaves the other
  // to go on alone.
  constexpr std::size_t kTurn = 64;
  Search* searches[2] = {&ahead, &back};
  bool ended[2] = {false, false};
  const auto further = [&](std::size_t turn) {
    return std::uint64_t{searches[turn]->frontier()} + (turn == 0 ? limits.back_search_lead : 0);
  };
  for (std::size_t turn = 0;; turn ^= 1) {
    if (ended[turn]) continue;
    if (!ended[turn ^ 1] && further(turn) < further(turn ^ 1)) continue;
    ended[turn] = searches[turn]->advance(kTurn);
    if (!ended[turn]) continue;
    Search& done = *searches[turn];
    Search& other = *searches[turn ^ 1];
    const bool decides = done.found() || done.exhausted() || ended[turn ^ 1];
    if (!decides) continue;
    const std::size_t visited = done.visited() + other.visited();
    // When both stopped short, the one going forward answers.
    const std::size_t answer = done.found() || done.exhausted() || !ended[turn ^ 1] ? turn : 0;
    BothWaysOutcome out{searches[answer]->finish(), answer == 1};
    out.outcome.visited = visited;
    return out;
  }
}

}  // namespace vantri
