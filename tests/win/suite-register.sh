# A start without arguments under Wine: the program registers itself as an
# external tool in every recent Flash Builder workspace listed in the
# settings inside the prefix's user profile, where the workspace has a
# launches folder.
. "$(dirname "$0")/lib.sh"
new_prefix

# The program in a folder whose name XML must escape.
install="$SUITE_DIR/Tools & Co's"
install_program "$install"
exe=$(winpath "$install/RuvoJS.exe")

spaces="$SUITE_DIR/workspaces"
ws_one="$spaces/ws one"
ws_chinese="$spaces/中文 ws"
ws_bare="$spaces/ws without launches"
launches=.metadata/.plugins/org.eclipse.debug.core/.launches
mkdir -p "$ws_one/$launches" "$ws_chinese/$launches" "$ws_bare/.metadata"
printf 'an older launch file' > "$ws_chinese/$launches/Quaspen.launch"

# A workspace path as Eclipse stores it in a properties file.
prefs_path() { winpath "$1" | sed 's|\\|\\\\|g; s|:|\\:|g'; }
settings() {
  local folder="$PROFILE_DIR/Adobe Flash Builder 4.$1/cascaded/$2/configuration/.settings"
  mkdir -p "$folder"
  printf 'eclipse.preferences.version=1\nRECENT_WORKSPACES=%s\nRECENT_WORKSPACES_PROTOCOL=3\n' "$3" \
    > "$folder/org.eclipse.ui.ide.prefs"
}
# Flash Builder 4.6 lists three workspaces (the second with a Chinese name
# written as \u escapes), 4.7 one of them again; 4.5 has two settings
# folders, of which the first by name counts, whatever the listing order.
chinese_escaped="$(prefs_path "$spaces")\\\\\\u4E2D\\u6587 ws"
settings 6 zz-fb46 "$(prefs_path "$ws_one")\\n$chinese_escaped\\n$(prefs_path "$ws_bare")"
settings 7 fb47 "$(prefs_path "$ws_one")"
ws_later="$spaces/ws of a later settings folder"
mkdir -p "$ws_later/$launches"
settings 5 zz-later "$(prefs_path "$ws_later")"
settings 5 aa-first "$(prefs_path "$ws_one")"

run_exe register "$exe"
check "a start without arguments exits 0" [ "$RC" = 0 ]

escaped_exe=$(printf '%s' "$exe" | sed "s/&/\\&amp;/g; s/'/\\&apos;/g")
printf "<?xml version='1.0' encoding='UTF-8' standalone='no'?>\r\n\t\t<launchConfiguration type='org.eclipse.ui.externaltools.ProgramLaunchConfigurationType'>\r\n\t\t<stringAttribute key='org.eclipse.ui.externaltools.ATTR_LOCATION' value='%s'/>\r\n\t\t<stringAttribute key='org.eclipse.ui.externaltools.ATTR_TOOL_ARGUMENTS' value='&quot;\${project_loc}\\\\.actionScriptProperties&quot;'/>\r\n\t\t</launchConfiguration>" \
  "$escaped_exe" > "$SUITE_DIR/expected.launch"

check "the launch file of the first workspace, byte for byte" cmp "$SUITE_DIR/expected.launch" "$ws_one/$launches/Quaspen.launch"
check "the workspace with a Chinese name gets its launch file" cmp "$SUITE_DIR/expected.launch" "$ws_chinese/$launches/Quaspen.launch"
check "no launch file where the launches folder is missing" [ ! -e "$ws_bare/$launches" ]
check "no temporary file is left behind" bash -c "! ls '$ws_one/$launches' '$ws_chinese/$launches' | grep -q '[.]tmp$'"
check "the program path is escaped for XML" grep -qF "Tools &amp; Co&apos;s" "$ws_one/$launches/Quaspen.launch"
check "each written launch file is reported" grep -qF "save $(winpath "$ws_one")/$launches/Quaspen.launch" "$SUITE_DIR/register.out"
check "a workspace of three versions is written for each" \
  [ "$(grep -cF "save $(winpath "$ws_one")/$launches/Quaspen.launch" "$SUITE_DIR/register.out")" = 6 ]
check "only the first settings folder by name is read" [ ! -e "$ws_later/$launches/Quaspen.launch" ]
check "the registration compiles nothing" bash -c "! grep -q '^MSG,14,' '$SUITE_DIR/register.out'"
check "no fault in the registration" no_wine_crash register

# The Flash Builder project reader takes its documents folder from the same
# settings: the first recent workspace of Flash Builder 4.7 for a project of
# version 12.
cp -r "$SOURCE_DIR/tests/fixtures/options-fb/proj" "$SOURCE_DIR/tests/fixtures/options-fb/shared" "$SUITE_DIR/"
mkdir -p "$ws_one/common"
run_exe documents "$exe" "$(winpath "$SUITE_DIR/proj/.actionScriptProperties");outruvo=true;subpath=web"
check "the documents folder is the first Flash Builder 4.7 workspace" \
  grep -qF "MSG,1,0.00,,0,DOCUMENTS:$(winpath "$ws_one")" "$SUITE_DIR/documents.out"
check "the output folder DOCUMENTS/site lies in that workspace" test -s "$ws_one/site/web/Main.max.js"
check "the documents compile exits 0" [ "$RC" = 0 ]

finish_suite
