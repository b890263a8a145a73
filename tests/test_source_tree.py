"""The source tree keeps its shape: data flows one way through the stages.

A unit may include headers of its own folder and of earlier stages only;
folders of the same stage do not include each other. Python's headers
appear only in the binding, which holds nothing else, and every source
file has a header of its own (the module's entry point aside).
"""

import re
from pathlib import Path

SRC = Path(__file__).resolve().parent.parent / "src"

# Folders in the order data flows through them; folders on one line are
# independent of each other.
STAGES = [
    ["messages"],
    ["text"],
    ["graphviz", "trim", "color"],
    ["grid"],
    ["render_nodes", "render_edges"],
    ["render"],
    ["process"],
    ["python"],
]
RANK = {folder: rank for rank, folders in enumerate(STAGES) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]', re.MULTILINE)


def sources():
    return sorted(p for p in SRC.rglob("*") if p.suffix in (".h", ".cc"))


def test_every_folder_is_a_known_stage():
    folders = {p.name for p in SRC.iterdir() if p.is_dir()}
    assert folders == set(RANK), f"folders without a stage: {folders - set(RANK)}"


def test_units_include_only_their_own_and_earlier_stages():
    wrong = []
    for path in sources():
        own = path.parent.name
        for included in INCLUDE.findall(path.read_text()):
            folder = included.split("/")[0]
            if "/" not in included or folder not in RANK or folder == own:
                continue
            if RANK[folder] >= RANK[own]:
                wrong.append(f"{path.relative_to(SRC)} includes {included}")
    assert not wrong, "\n".join(wrong)


def test_python_headers_only_in_the_binding():
    wrong = [
        str(path.relative_to(SRC))
        for path in sources()
        if path.parent.name != "python" and "Python.h" in INCLUDE.findall(path.read_text())
    ]
    assert not wrong, wrong
    # What needs no Python (the process layer) lives in src/process.
    strays = [
        p.name for p in sources() if p.parent.name == "python" and not p.name.startswith("python_")
    ]
    assert not strays, f"not binding units, belong in src/process: {strays}"


def test_every_source_file_has_its_own_header():
    entry_points = {"python_module.cc"}
    missing = [
        str(path.relative_to(SRC))
        for path in sources()
        if path.suffix == ".cc"
        and not path.name.endswith("_test.cc")
        and path.name not in entry_points
        and not path.with_suffix(".h").exists()
    ]
    assert not missing, missing
