#pragma once
// A tree of best paths in preorder: every subtree is one stretch of
// positions, so the nodes below k are read off without a walk, and whether
// a node lies below k is two comparisons, with nothing to mark or clear.
// O(tree) to build, with n-entry rows kept between sources.
#include <cstddef>
#include <vector>

namespace verdalis {

struct treePreorder {
  std::vector<int> position;  // n entries: a node's place in `nodes`, -1 off the tree
  std::vector<int> nodes;     // the tree in preorder
  std::vector<int> end;       // per position: one past the last position of its subtree
  std::vector<int> depth;     // per position: steps from the root

  // The tree from root; forEachChild(v, f) calls f(c) for every child c, and
  // the children are taken in the reverse of that order. parentOf(v) is the
  // parent of a node of the tree.
  template <class Children, class Parent>
  void build(int n, int root, Children&& forEachChild, Parent&& parentOf) {
    if (position.size() != static_cast<std::size_t>(n)) position.assign(static_cast<std::size_t>(n), -1);
    clear();
    stack.clear();
    stack.push_back(root);
    while (!stack.empty()) {
      const int v = stack.back();
      stack.pop_back();
      position[v] = static_cast<int>(nodes.size());
      nodes.push_back(v);
      forEachChild(v, [&](int c) { stack.push_back(c); });
    }
    // Depths from the root down and subtree sizes from the leaves up: a node
    // comes after its parent.
    depth.assign(nodes.size(), 0);
    for (std::size_t at = 1; at < nodes.size(); ++at) depth[at] = depth[position[parentOf(nodes[at])]] + 1;
    end.assign(nodes.size(), 1);
    for (std::size_t at = nodes.size(); at-- > 1;) end[position[parentOf(nodes[at])]] += end[at];
    for (std::size_t at = 0; at < nodes.size(); ++at) end[at] += static_cast<int>(at);
  }
  void clear() {
    for (int v : nodes) position[v] = -1;
    nodes.clear();
  }

 private:
  std::vector<int> stack;
};

}  // namespace verdalis
