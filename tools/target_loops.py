#!/usr/bin/env python3
"""Reports loops among the project's own build targets.

Usage: cmake --graphviz=g.dot <build dir>; tools/target_loops.py g.dot
Prints each own target with the own targets it links directly, then every
strongly connected group of two or more own targets (or a target linking
itself). Exits 1 when there is one. Imported targets (Qt6::Core, ...) and
plain system libraries are not the project's and are left out.
"""
import re
import sys


def read_graph(path):
    names, edges = {}, []
    node = re.compile(r'^\s*"(\w+)"\s*\[\s*label\s*=\s*"([^"]*)"\s*,\s*shape\s*=\s*(\w+)')
    edge = re.compile(r'^\s*"(\w+)"\s*->\s*"(\w+)"')
    with open(path) as f:
        for line in f:
            if m := node.match(line):
                label, shape = m.group(2).replace("\\n", "\n").split("\n")[0], m.group(3)
                # Unknown libraries (-lfoo) and imported targets are drawn as ellipses
                # or septagons; the project's own targets are everything else.
                if "::" not in label and shape not in ("ellipse", "septagon"):
                    names[m.group(1)] = label
            elif m := edge.match(line):
                edges.append((m.group(1), m.group(2)))
    graph = {n: set() for n in names}
    for a, b in edges:
        if a in names and b in names:
            graph[a].add(b)
    return names, graph


def strongly_connected(graph):
    index, low, stack, on_stack, groups = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on_stack.add(v)
        for w in graph[v]:
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            group = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                group.append(w)
                if w == v:
                    break
            groups.append(group)

    sys.setrecursionlimit(10000)
    for v in graph:
        if v not in index:
            visit(v)
    return groups


def main():
    names, graph = read_graph(sys.argv[1] if len(sys.argv) > 1 else "g.dot")
    for n in sorted(graph, key=names.get):
        print(f"{names[n]} -> {', '.join(sorted(names[d] for d in graph[n])) or '(none)'}")
    loops = [g for g in strongly_connected(graph) if len(g) > 1 or g[0] in graph[g[0]]]
    for g in loops:
        print("loop:", ", ".join(sorted(names[n] for n in g)))
    print(f"{len(names)} own targets, {len(loops)} loops")
    return 1 if loops else 0


if __name__ == "__main__":
    sys.exit(main())
