#!/usr/bin/env bash
# Feeds scripts/check-layers.sh small trees under the real layer table: each
# case adds one file to a tree that passes and states whether the checker must
# refuse it and which line it must name.
set -uo pipefail
repo=$(cd "${1:-$(dirname "$0")/../..}" && pwd)
check="$repo/scripts/check-layers.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

make_tree() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree"/{res,src/{app,view,shell,panels,usercmd,widgets,config,port/linux,convert/blockclass_sse2,escpos}}
    cp "$repo/ARCHITECTURE.md" "$work/tree/"
    touch "$work/tree/res/stringtable.h" "$work/tree/src/convert/blockclass_sse2/blockclass_impl.h"
    printf '#include "view/tarvikview.h"\n#include "shell/mainframe.h"\n' >"$work/tree/src/app/main.cpp"
    printf '#include "port/portex.h"\n#include "stringtable.h"\n#include "ui_form.h"\n' >"$work/tree/src/view/tarvikview.h"
    printf '#include "port/portcfg.h"\n' >"$work/tree/src/config/rvconfig.cpp"
    printf '#include "blockclass_impl.h"\n#include "convert/convert.h"\n' >"$work/tree/src/convert/blockclass.h"
    printf '#include "port/linux/modembits.h"\n' >"$work/tree/src/port/serialport.cpp"
}

# expect NAME STATUS FILE CONTENT [LINE-THE-MESSAGE-NAMES]
expect() {
    local name=$1 status=$2 file=$3 content=$4 names=${5:-}
    make_tree
    if [[ -n $file ]]; then
        mkdir -p "$(dirname "$work/tree/$file")"
        printf '%b' "$content" >"$work/tree/$file"
    fi
    local out rc
    out=$(bash "$check" "$work/tree" 2>&1)
    rc=$?
    if [[ $rc -ne $status ]] || [[ -n $names && $out != *"$names"* ]]; then
        echo "FAIL $name: exit $rc (want $status), output:"
        echo "$out"
        failed=1
    else
        echo "ok   $name"
    fi
}

expect "allowed includes pass" 0 "" ""
expect "shell including the view" 1 src/shell/mainframe.cpp '#include <QWidget>\n#include "view/tarvikview.h"\n' "src/shell/mainframe.cpp:2"
expect "engine including the port layer" 1 src/convert/convert.cpp '#include "port/portex.h"\n' "src/convert/convert.cpp:1"
expect "across a row without a pair" 1 src/panels/serialcfgdlg.cpp '#include "usercmd/usercmdstore.h"\n' "crosses from src/panels to src/usercmd"
expect "the row's pair one way only" 1 src/port/portcfg.cpp '#include "config/inifile.h"\n' "src/port/portcfg.cpp:1"
expect "bare name of a src header" 1 src/view/view_send.cpp '#include "portex.h"\n' "does not name its folder"
expect "resources including src" 1 res/language.cpp '#include "shell/appicon.h"\n' "res/language.cpp:1"
expect "folder missing from the table" 1 src/gadgets/x.cpp '#include "convert/convert.h"\n' "src/gadgets"
expect "indented include" 1 src/port/portex.cpp '  #  include "view/form/viewform.h"\n' "src/port/portex.cpp:1"
expect "angle-bracket upward include" 1 src/shell/mainframe.cpp '#include <vector>\n#include <view/form/viewids.h>\n' "src/shell/mainframe.cpp:2: include <view/form/viewids.h> points up"
expect "angle-bracket bare name of a src header" 1 src/app/main.cpp '#include <tarvikview.h>\n' "does not name its folder"
expect "system and resource headers in angle brackets" 0 src/port/serialport.cpp '#include <linux/serial.h>\n#include <QWidget>\n#include <stringtable.h>\n'
expect "engine including a Qt Widgets class" 1 src/convert/boxtext.cpp '#include <QString>\n#include <QPlainTextEdit>\n' "src/convert/boxtext.cpp:2"
expect "engine including the Qt Widgets module" 1 src/convert/codepage.h '#include <QtWidgets/QWidget>\n' "src/convert/codepage.h:1"
expect "view casting a port to its kind" 1 src/view/view_receive.cpp 'void f(CPortEx *p)\n{\n    dynamic_cast<CUsbPort *>(p);\n}\n' "src/view/view_receive.cpp:3"
expect "tool casting to a const kind" 1 tools/cli/cliport.cpp 'auto *q = dynamic_cast< const CPrinterPort *>(p);\n' "tools/cli/cliport.cpp:1"
expect "the port folder knows its kinds" 0 src/port/portex.cpp 'auto *s = dynamic_cast<CSerialPort *>(p);\n'
expect "a part including the view" 1 src/view/parts/sendpages.cpp '#include "view/tarvikview.h"\n' "src/view/parts/sendpages.cpp:1: include \"view/tarvikview.h\" points up from src/view/parts to src/view"
expect "a view piece including a part" 1 src/view/recv/recvview.cpp '#include <view/parts/viewstatus.h>\n' "points up from src/view/recv to src/view/parts"
expect "the form holding the receive widget" 0 src/view/form/viewform.h '#include "view/recv/recvview.h"\n'
expect "the receive widget reaching into the form" 1 src/view/recv/recvview.h '#include "view/form/viewids.h"\n' "crosses from src/view/recv to src/view/form"
bash "$check" "$repo" >/dev/null || { echo "FAIL: the checkout breaks its own layer table"; failed=1; }
exit $failed
