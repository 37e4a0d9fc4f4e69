#!/usr/bin/env python3
"""Checks the declarations of MokacommC.dll's functions in the examples of other languages
against its header, so that they cannot drift from it.

    check_declarations.py HEADER CSHARP VBA PYTHON [--self-test]

Each example must declare every function of the header once (the Visual Basic module once in
each branch of #If VBA7), with the header's number of arguments, and types of the same kind and
size: 32-bit signed or unsigned integers, pointer-sized values, pointers to bytes, to UTF-16, to
a DWORD, to a port object, to each record, callbacks of each type. Its callbacks' types must be
the header's too. And the calling convention must be WINAPI (stdcall): C#'s DllImport and
delegates not Cdecl, no CDecl Declare in Visual Basic, WinDLL and WINFUNCTYPE in Python.

--self-test changes one declaration in each example as a hand might, and checks that the check
then fails.
"""
import ast
import re
import sys

INTEGERS = {"i32", "u32", "i64", "u64", "i16", "u16", "i8", "u8"}
RECORDS = ("DCB", "COMSTAT", "MOKACOMM_SETTINGS", "MOKACOMM_EVENT")


def is_pointer(kind):
    return kind not in INTEGERS and kind != "void"


# ---- The header.

C_KINDS = {"int": "i32", "DWORD": "u32", "UINT": "u32", "void": "void", "HANDLE": "ptr",
           "HWND": "ptr", "MokacommPort*": "ptr", "MokacommPort**": "out:ptr", "void*": "bytes",
           "char*": "bytes", "WCHAR*": "wtext", "DWORD*": "out:u32"}
for record in RECORDS:
    C_KINDS[record + "*"] = "rec:" + record


def c_kind(declaration, callbacks):
    """The kind of a C parameter or result, its name dropped."""
    words = declaration.replace("*", " * ").split()
    words = [word for word in words if word != "const"]
    if len(words) > 1 and words[-1] not in ("*", "void") and words[-1] not in C_KINDS:
        words = words[:-1]
    spelled = words[0] + "*" * words.count("*")
    if spelled in callbacks:
        return "fn:" + spelled
    if spelled not in C_KINDS:
        raise SystemExit(f"the header's type {declaration!r} is not known to this check")
    return C_KINDS[spelled]


def c_signature(result, parameters, callbacks):
    parameters = parameters.strip()
    arguments = [] if parameters in ("", "void") else [
        c_kind(p, callbacks) for p in parameters.split(",")]
    return c_kind(result, callbacks), arguments


def read_header(text):
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    text = re.sub(r"//[^\n]*", " ", text)
    names = re.findall(r"typedef\s+void\s*\(\s*WINAPI\s*\*\s*(\w+)\)", text)
    callbacks = {}
    for name, parameters in re.findall(r"typedef\s+void\s*\(\s*WINAPI\s*\*\s*(\w+)\)\s*\(([^)]*)\)",
                                       text):
        callbacks[name] = c_signature("void", parameters, names)
    functions = {}
    for result, name, parameters in re.findall(
            r"MOKACOMM_C_API\s+([\w\s*]+?)\s+WINAPI\s+(\w+)\s*\(([^)]*)\)\s*;", text):
        functions[name] = c_signature(result, parameters, names)
    if not functions or len(callbacks) != len(names):
        raise SystemExit("the header's declarations were not found")
    return functions, callbacks


# ---- Comparing.

def compare(where, name, expected, declared, accepts, problems):
    """`declared` is (result, [arguments]) of sets of the kinds each may stand for."""
    result, arguments = expected
    declared_result, declared_arguments = declared
    if len(arguments) != len(declared_arguments):
        problems.append(f"{where}: {name} takes {len(declared_arguments)} arguments, "
                        f"the header's {len(arguments)}")
        return
    for index, (kind, kinds) in enumerate([(result, declared_result)] +
                                          list(zip(arguments, declared_arguments))):
        if not accepts(kind, kinds):
            what = "result" if index == 0 else f"argument {index}"
            problems.append(f"{where}: {name}'s {what} is {sorted(kinds)}, the header's {kind}")


def exact(kind, kinds):
    # A pointer of no particular kind (IntPtr, LongPtr, c_void_p) stands for any pointer.
    return kind in kinds or ("ptr" in kinds and is_pointer(kind))


def complete(where, declared, header, problems):
    for name in sorted(set(header) - set(declared)):
        problems.append(f"{where}: {name} is not declared")
    for name in sorted(set(declared) - set(header)):
        problems.append(f"{where}: {name} is not the header's")


# ---- C#.

CS_KINDS = {"int": "i32", "uint": "u32", "long": "i64", "ulong": "u64", "short": "i16",
            "ushort": "u16", "void": "void", "IntPtr": "ptr", "UIntPtr": "ptr", "nint": "ptr",
            "byte[]": "bytes", "string": "bytes", "StringBuilder": "bytes"}


def balanced(text, start):
    """The text inside the parentheses that open at `start`, and the index after them."""
    depth = 0
    for index in range(start, len(text)):
        depth += {"(": 1, ")": -1}.get(text[index], 0)
        if depth == 0:
            return text[start + 1:index], index + 1
    raise SystemExit("unbalanced parentheses")


def cs_kind(parameter, unicode, callbacks):
    wide = unicode or "LPWStr" in parameter
    parameter = re.sub(r"\[\w[^\]]*\]", " ", parameter).split()
    reference = parameter[0] in ("ref", "out", "in")
    spelled = parameter[1] if reference else parameter[0]
    if reference:
        inner = CS_KINDS.get(spelled, spelled)
        return {"out:" + inner if inner in INTEGERS or inner == "ptr" else "rec:" + spelled}
    if spelled in callbacks:
        return {"fn:" + spelled}
    kind = CS_KINDS.get(spelled, "unknown " + spelled)
    if kind == "bytes" and spelled != "byte[]" and wide:
        kind = "wtext"
    return {kind}


def cs_convention(attributes):
    found = re.search(r"CallingConvention\.(\w+)", attributes)
    return found is None or found.group(1) in ("StdCall", "Winapi")


def check_csharp(text, header, header_callbacks, problems):
    where = "C#"
    delegates = {}
    for attributes, name, parameters in re.findall(
            r"((?:\[[^\]]*\]\s*)*)public\s+delegate\s+void\s+(\w+)\s*\(([^)]*)\)\s*;", text):
        if not cs_convention(attributes):
            problems.append(f"{where}: delegate {name} is not stdcall")
        delegates[name] = parameters
    functions = {}
    for match in re.finditer(r"\[DllImport\(([^\]]*)\)\]\s*public\s+static\s+extern\s+"
                             r"([\w\[\]]+)\s+(\w+)\s*(?=\()", text):
        attributes, result, name = match.groups()
        if not cs_convention(attributes):
            problems.append(f"{where}: {name} is not stdcall")
        if "MokacommC.dll" not in attributes and "Dll" not in attributes:
            problems.append(f"{where}: {name} is not MokacommC.dll's")
        parameters, _ = balanced(text, match.end())
        unicode = "CharSet.Unicode" in attributes
        arguments = [cs_kind(p, unicode, delegates) for p in split_top(parameters)]
        if name in functions:
            problems.append(f"{where}: {name} is declared twice")
        functions[name] = ({CS_KINDS.get(result, "unknown " + result)}, arguments)
    complete(where, functions, header, problems)
    for name, declared in functions.items():
        if name in header:
            compare(where, name, header[name], declared, exact, problems)
    complete(where + " delegates", delegates, header_callbacks, problems)
    for name, parameters in delegates.items():
        if name in header_callbacks:
            declared = ({"void"}, [cs_kind(p, False, delegates) for p in split_top(parameters)])
            compare(where, name, header_callbacks[name], declared, exact, problems)


def split_top(parameters):
    """Parameters split at the commas outside brackets and parentheses."""
    parts, depth, current = [], 0, ""
    for character in parameters:
        depth += {"(": 1, "[": 1, ")": -1, "]": -1}.get(character, 0)
        if character == "," and depth == 0:
            parts.append(current)
            current = ""
        else:
            current += character
    return [part for part in parts + [current] if part.strip()]


# ---- Visual Basic (VBA 7 and Visual Basic 6).

def vb_kinds(parameter, vb6):
    words = parameter.split()
    passing = "ByRef"
    if words[0] in ("ByVal", "ByRef"):
        passing, words = words[0], words[1:]
    spelled = words[words.index("As") + 1] if "As" in words else "Variant"
    # Long is 32-bit, signed or not as C sees it; on 32-bit Visual Basic 6 it holds a pointer too.
    pointers = {"ptr"} if vb6 else set()
    if passing == "ByVal":
        return {"Long": {"i32", "u32"} | pointers, "LongPtr": {"ptr"}, "LongLong": {"i64"},
                "Integer": {"i16"}, "String": {"bytes"}}.get(spelled, {"unknown " + spelled})
    return {"Long": {"out:u32"} | ({"out:ptr"} if vb6 else set()), "LongPtr": {"out:ptr"},
            "Byte": {"bytes"}}.get(spelled, {"rec:" + spelled})


def vb_result(spelled, vb6):
    if spelled is None:
        return {"void"}
    return vb_kinds("ByVal x As " + spelled, vb6)


def check_vba(text, header, problems):
    branches = {"VBA7": {}, "VB6": {}}
    stack = []
    declaration = re.compile(r"^(?:Public|Private)?\s*Declare\s+(PtrSafe\s+)?(Function|Sub)\s+(\w+)"
                             r"\s+(CDecl\s+)?Lib\s+\"([^\"]+)\"(?:\s+Alias\s+\"[^\"]+\")?\s*"
                             r"\(([^)]*)\)(?:\s+As\s+(\w+))?\s*$")
    for line in text.splitlines():
        line = line.strip()
        directive = re.match(r"#(If|ElseIf|Else|End If)\b\s*(.*?)(?:\s+Then)?$", line)
        if directive:
            keyword, condition = directive.groups()
            if keyword == "If":
                stack.append([condition, True])
            elif keyword == "End If":
                stack.pop()
            else:
                stack[-1] = [condition if keyword == "ElseIf" else "not " + stack[-1][0], True]
            continue
        found = declaration.match(line)
        if not found or not found.group(5).lower().startswith("mokacommc"):
            continue
        _, kind, name, cdecl, _, parameters, result = found.groups()
        conditions = [condition for condition, _ in stack]
        targets = (["VBA7"] if "VBA7" in conditions else ["VB6"] if "not VBA7" in conditions
                   else ["VBA7", "VB6"])
        if cdecl:
            problems.append(f"Visual Basic: {name} is declared CDecl")
        for branch in targets:
            vb6 = branch == "VB6"
            where = f"Visual Basic ({branch})"
            arguments = [vb_kinds(p, vb6) for p in split_top(parameters)]
            declared = (vb_result(result if kind == "Function" else None, vb6), arguments)
            if name in branches[branch]:
                problems.append(f"{where}: {name} is declared twice")
            branches[branch][name] = declared
    for branch, functions in branches.items():
        where = f"Visual Basic ({branch})"
        complete(where, functions, header, problems)
        for name, declared in functions.items():
            if name in header:
                compare(where, name, header[name], declared, exact, problems)


# ---- Python (ctypes).

PY_KINDS = {"c_int": "i32", "c_long": "i32", "INT": "i32", "BOOL": "i32", "LONG": "i32",
            "c_uint": "u32", "c_ulong": "u32", "DWORD": "u32", "UINT": "u32", "ULONG": "u32",
            "c_longlong": "i64", "c_ulonglong": "u64", "c_int64": "i64", "c_uint64": "u64",
            "c_void_p": "ptr", "HANDLE": "ptr", "HWND": "ptr", "LPVOID": "ptr",
            "c_char_p": "bytes", "c_wchar_p": "wtext"}
PY_POINTEES = {"c_char": "bytes", "c_ubyte": "bytes", "c_wchar": "wtext"}


def py_name(node):
    if isinstance(node, ast.Constant) and node.value is None:
        return "None"
    if isinstance(node, ast.Attribute):
        return node.attr
    if isinstance(node, ast.Name):
        return node.id
    return None


def py_kinds(node, callbacks):
    if isinstance(node, ast.Call) and py_name(node.func) == "POINTER" and len(node.args) == 1:
        pointee = py_name(node.args[0])
        if pointee in PY_POINTEES:
            return {PY_POINTEES[pointee]}
        inner = PY_KINDS.get(pointee)
        return {"out:" + inner} if inner else {"rec:" + str(pointee)}
    name = py_name(node)
    if name == "None":
        return {"void"}
    if name in callbacks:
        return {"fn:" + name}
    return {PY_KINDS.get(name, f"unknown {name}")}


def check_python(text, header, header_callbacks, problems):
    where = "Python"
    tree = ast.parse(text)
    callbacks, functions, loaders = {}, {}, set()
    for node in ast.walk(tree):
        if isinstance(node, ast.Call) and py_name(node.func) in ("WinDLL", "CDLL", "OleDLL",
                                                                  "PyDLL"):
            loaders.add(py_name(node.func))
        if not isinstance(node, ast.Assign) or len(node.targets) != 1:
            continue
        target = py_name(node.targets[0])
        value = node.value
        if isinstance(value, ast.Call) and py_name(value.func) in ("WINFUNCTYPE", "CFUNCTYPE"):
            if py_name(value.func) != "WINFUNCTYPE":
                problems.append(f"{where}: callback {target} is not WINFUNCTYPE")
            callbacks[target] = value.args
        elif target == "FUNCTIONS" and isinstance(value, ast.Dict):
            for key, entry in zip(value.keys, value.values):
                functions[key.value] = entry.elts
    if loaders != {"WinDLL"}:
        problems.append(f"{where}: the DLL must be loaded with WinDLL alone, not {sorted(loaders)}")
    complete(where, functions, header, problems)
    for name, (result, *arguments) in functions.items():
        if name in header:
            declared = (py_kinds(result, callbacks), [py_kinds(a, callbacks) for a in arguments])
            compare(where, name, header[name], declared, exact, problems)
    complete(where + " callbacks", callbacks, header_callbacks, problems)
    for name, (result, *arguments) in callbacks.items():
        if name in header_callbacks:
            declared = (py_kinds(result, callbacks), [py_kinds(a, callbacks) for a in arguments])
            compare(where, name, header_callbacks[name], declared, exact, problems)


# ---- Running.

def check(header_text, csharp, vba, python):
    header, callbacks = read_header(header_text)
    problems = []
    check_csharp(csharp, header, callbacks, problems)
    check_vba(vba, header, problems)
    check_python(python, header, callbacks, problems)
    return header, problems


# Changes a hand might make: (example, what, pattern, replacement).
DRIFTS = [
    (0, "a C# argument widened to 64 bits",
     r"(MokacommSend\(IntPtr port, byte\[\] data, )uint", r"\1ulong"),
    (0, "a C# function made cdecl",
     r"(\[DllImport\(Dll, CallingConvention = CallingConvention\.)StdCall", r"\1Cdecl"),
    (1, "a Visual Basic argument dropped",
     r"(PtrSafe Function MokacommOpen [^(]*\(ByVal port As LongPtr), ByVal number As Long", r"\1"),
    (2, "a Python pointer argument made an integer",
     r"(\"MokacommReceive\": \(c_int, c_void_p, c_char_p, DWORD, )POINTER\(DWORD\)", r"\1DWORD"),
    (2, "a Python function renamed", r"\"MokacommWaitEvent\"", "\"MokacommWaitEvents\""),
]


def self_test(header_text, examples):
    _, clean = check(header_text, *examples)
    failures = len(clean)
    for problem in clean:
        print(f"self-test: the examples as they are: {problem}")
    for index, what, pattern, replacement in DRIFTS:
        drifted = list(examples)
        drifted[index], count = re.subn(pattern, replacement, examples[index], count=1)
        if count != 1:
            print(f"self-test: {what}: the example no longer has the declaration to change")
            failures += 1
            continue
        _, problems = check(header_text, *drifted)
        problems = [problem for problem in problems if problem not in clean]
        print(f"self-test: {what}: {problems[0] if problems else 'NOT caught'}")
        failures += not problems
    return 1 if failures else 0


def main():
    arguments = [argument for argument in sys.argv[1:] if argument != "--self-test"]
    header_text, *examples = (open(path, encoding="utf-8").read() for path in arguments)
    if "--self-test" in sys.argv:
        return self_test(header_text, examples)
    header, problems = check(header_text, *examples)
    for problem in problems:
        print(problem)
    print(f"{len(header)} functions: the examples' declarations "
          f"{'differ from the header' if problems else 'match the header'}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
