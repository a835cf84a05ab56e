// Assembling and saving the output scripts.
//
// Every output script is the JavaScript of its source files wrapped in fixed
// texts: the runtime core (the global `Ruvo` object) in front of the one
// script that carries it, the alias line that gives class bodies their
// `__class`, `__getset`, ... names, the closure that keeps a library-off
// script's names private, the class-init call, and the module export block
// at the very end of every written file. The runtime core and the Flash-API
// header live as JavaScript under src/runtime/; the short texts are here.
#include <algorithm>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "CompilerOptions.h"
#include "OneScriptFile.h"
#include "TokenClass.h"
#include "TokenPackage.h"
#include "message.h"
#include "platform.h"
#include "runtime_texts.h"
#include "scriptfile.h"
#include "xfilemethod.h"

namespace {

// Closes the function that the runtime core opens.
constexpr const char* kCoreCloser = "\r\n\treturn Ruvo;\r\n})(window,document);\r\n";
// A library-off script keeps its names in a closure of its own.
constexpr const char* kClosureOpener = "\r\n(function(window,document,Ruvo){\r\n";
constexpr const char* kClosureCloser = "\r\n})(window,document,Ruvo);\r\n";
constexpr const char* kAliasLine =
    "\tvar __un=Ruvo.un,__uns=Ruvo.uns,__static=Ruvo.static,__class=Ruvo.class,__getset=Ruvo.getset,"
    "__newvec=Ruvo.__newvec";
constexpr const char* kAliasEndLibraryOff = ";\r\n";
constexpr const char* kAliasEndLibraryOn = ",__bind=VENDRIX.bind;\r\n";
// Trivial method bodies that the function output shares instead of repeating.
constexpr const char* kStubFunctions =
    "\tvar RUVOFNVOID=function(){};\r\n"
    "\tvar RUVOFNSTR=function(){return '';}\r\n"
    "\tvar RUVOFNNULL=function(){return null;}\r\n"
    "\tvar RUVOFNTRUE=function(){return true;}\r\n"
    "\tvar RUVOFNFALSE=function(){return false;}\r\n"
    "\tvar RUVOFN0=function(){return 0;}\r\n"
    "\tvar RUVOFNARRAY = function() { return []; }\r\n"
    "\tvar GETEACH = function(a) { return a?a:[]; }\r\n";
constexpr const char* kEnable3D = "VENDRIX.ENABLE3D=true;\r\n";
// Run-time type checks of debug builds.
constexpr const char* kDebugType =
    "\r\n\twindow.__DEBUGTYPE__ = function(value,type){if(type=='int' || type=='uint') return (typeof "
    "value=='number') && parseInt(value)==value; if(type=='Number') return value==NaN || (typeof "
    "value=='number'); if(type=='String') return value==null || (typeof value=='string'); if(type=='Boolean') "
    "return value==true || value==false;}\r\n";
constexpr const char* kDebugAs =
    "\r\n\twindow.__DEBUGAS__=function(value,type){if(value==null) return null; if(type==window.int || "
    "type==Number) if(typeof value=='number') return value; else {debugger;return null} "
    "if(!Ruvo.__typeof(value,type)) debugger; return value; }\r\n";
// Dictionary keys: the class function gains a `dic` parameter, and objects of
// a class registered with it turn into unique "&ruvodic_<n>" property names.
constexpr const char* kDictionarySearch = "class:function(o,fullName,_super,miniName){";
constexpr const char* kDictionaryReplace =
    "class:function(o,fullName,dic,_super,miniName){\r\n\t\t\tdic && "
    "(Ruvo.un(o.prototype,'toString',VENDRIX.toStringForDic));";
constexpr const char* kDictionaryLines[] = {
    "\tvar Dictionary=window.Dictionary=zafrit.utils.Dictionary=function(){};\twindow.Dictionary.prototype="
    "Object.prototype;\r\n",
    "\tRuvo.__classmap['Dictionary']=Dictionary;\r\n",
    "\tVENDRIX.DICKEY=0;\r\n",
    "\tVENDRIX.DICKEYS=[];\r\n",
    "\tVENDRIX.toStringForDic=function(){(!this.__DICKEY__) && "
    "(Ruvo.un(this,'__DICKEY__',--VENDRIX.DICKEY),VENDRIX.DICKEYS['&ruvodic_'+this.__DICKEY__]=this);return "
    "'&ruvodic_'+this.__DICKEY__;};\r\n",
};
// The mini-game page start; each "%s" takes the next argument.
constexpr const char* kMiniGamePageStart =
    "\r\n\r\nif (window.Page){\r\n    Page({onLoad: function() {\r\n                window.MainCanvasID ='%s';\r\n"
    "                new %s();\r\n            }\r\n        });\r\n}\r\nelse new %s();\r\n";

void replaceAllIn(std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) return;
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// Fills the "%s" places of a fixed text in order. The values are copied as
// they are, so a '%' in a page name or class name cannot upset a format.
std::string fillPlaces(const char* pattern, const std::vector<std::string>& values) {
  std::string out;
  size_t next = 0;
  for (const char* p = pattern; *p; ++p) {
    if (p[0] == '%' && p[1] == 's' && next < values.size()) {
      out += values[next++];
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

// The warnings become a block comment at the end of the script; a "*/" in a
// warning would end the comment early and turn the rest into code.
std::string warningsComment(const std::string& warnings) {
  std::string body = warnings;
  replaceAllIn(body, "*/", "* /");
  return "\r\n\r\n/*\r\n" + body + "*/";
}

// Where a script is written: absolute paths as they are, others below the
// output folder.
std::string scriptPath(const std::string& outputPath) {
  if ((outputPath.size() > 1 && outputPath[1] == ':') || (!outputPath.empty() && outputPath[0] == '/'))
    return outputPath;
  return _ompilerOptions_.inOutDir(outputPath);
}

// Writes one script file from its pieces and says so, or why it could not.
void reportWrite(const std::string& path, std::span<const std::string_view> pieces, size_t size) {
  if (xfilemethod::writeFileAtomic(path, pieces.data(), pieces.size())) {
    MSGTO(MessageType::ScriptSaved, path.c_str(), static_cast<int>(std::min<size_t>(size, 0x7fffffff)), "%s", "");
  } else {
    MSGTO(MessageType::Problem, path.c_str(), 0, "Can not write file:%s (%s)", path.c_str(), xfilemethod::lastWriteError().c_str());
  }
}

// The module scripts, each once although several folders may map to one.
std::vector<OneScriptFile*> distinctModules() {
  std::vector<OneScriptFile*> list;
  for (auto& entry : OneScriptFile::jsModleMap) {
    OneScriptFile* script = entry.second;
    if (script && std::find(list.begin(), list.end(), script) == list.end()) list.push_back(script);
  }
  return list;
}

}  // namespace

// The main script and the module scripts get their class-init calls. The
// runtime core goes into one file only: a module that carries it takes it
// from the main script. A declared main module without an engine module (a
// module.def broken after its main entry) carries it itself; the compile run
// then writes that module under the main script's name, which the page loads.
void OneScriptFile::EndInitScript() {
  std::vector<OneScriptFile*> modules = distinctModules();
  auto carriesCore = [](OneScriptFile* s) { return !s->noCore; };
  if (Main && !RuvoJs && std::none_of(modules.begin(), modules.end(), carriesCore)) Main->noCore = false;
  if (std::any_of(modules.begin(), modules.end(), carriesCore)) MainOneScriptFile.noCore = true;
  MainOneScriptFile.endInitScript();
  for (OneScriptFile* script : modules) script->endInitScript();
}

// "A,B," becomes "\tRuvo.__init([A,B]);": the classes whose statics need a
// deferred initialiser, run once every class of the script is defined.
void OneScriptFile::endInitScript() {
  if (classList.find("Ruvo.__init", 1) != std::string::npos) return;
  if (classList.empty()) return;
  std::string list = classList;
  if (list.back() == ',') list.pop_back();
  classList = "\tRuvo.__init([" + list + "]);";
}

void OneScriptFile::AddEndScript() {
  MainOneScriptFile.text += MainOneScriptFile.endScript;
  for (OneScriptFile* script : distinctModules()) {
    if (script == &MainOneScriptFile || script->endScript.empty()) continue;
    script->text += script->endScript + "\r\n";
  }
}

void OneScriptFile::saveAll() {
  MainOneScriptFile.save();
  for (auto& entry : jsModleMap)
    if (entry.second) entry.second->save();
}

std::string OneScriptFile::toFlashJSHead() {
  std::string head;
  if (_ompilerOptions_.zafritLib) head += runtimeText("flashhead");
  if (__ISDEBUG__) {
    head += kDebugType;
    head += kDebugAs;
  }
  return head;
}

// The text of one script: [core] head, collected JavaScript, init call, tail,
// [warnings]. A script is assembled and written once; later calls return the
// text of the first. A script written from its file scripts is not
// assembled: it returns its `text`, the part of the body after them.
const std::string& OneScriptFile::save() {
  if (saved) return text;
  saved = true;
  const CompilerOptions& options = _ompilerOptions_;
  const bool library = options.zafritLib;
  const bool miniGame = !options.WXApp.empty();

  std::string core;
  if (!noCore) {
    if (miniGame) core += runtimeText("wxshim");
    core += runtimeCoreText(runtimeText("core"));
    core += toFlashJSHead();
    if (library && options.flash3D) core += kEnable3D;
    if (options.enableDic) {
      replaceAllIn(core, kDictionarySearch, kDictionaryReplace);
      for (const char* line : kDictionaryLines) core += line;
    }
    core += kCoreCloser;
  }

  const bool closure = !library && options.closures;
  std::string head = closure ? kClosureOpener : "\r\n";
  head += kAliasLine;
  if (library) {
    head += kAliasEndLibraryOn;
    head += kStubFunctions;
  } else {
    head += kAliasEndLibraryOff;
  }
  head += closure ? importClassToString() : "\r\n";

  std::string tail = closure ? kClosureCloser : "\r\n";
  if (this == &MainOneScriptFile && miniGame && TokenClass::__pMainClass__) {
    const std::string& mainClass = TokenClass::__pMainClass__->fullName;
    tail += fillPlaces(kMiniGamePageStart, {options.WXApp, mainClass, mainClass});
  }
  // With the library on, the core's script declares the aliases and stubs as
  // globals; the other scripts use those.
  if (library && noCore) head = "\r\n";

  const std::string warnings = !noCore && !CompileWarning.empty() ? warningsComment(CompileWarning) : std::string();
  const std::string exportBlock = runtimeText("exportblock");
  std::string front = noCore ? std::string() : std::move(core);
  front += head;
  // With a main module, the engine script and the main script are written
  // into the main module's file instead of their own.
  const bool intoMainModule = Main && Main != this && (this == RuvoJs || this == &MainOneScriptFile);

  // A script of file scripts that writes its own file is written from its
  // pieces: the megabytes of a project are not copied into one text.
  if (!fileScripts.empty() && !intoMainModule && this != Main) {
    std::vector<std::string_view> pieces;
    pieces.reserve(fileScripts.size() + 6);
    pieces.emplace_back(front);
    for (const std::string& script : fileScripts) pieces.emplace_back(script);
    for (std::string_view rest : {std::string_view(text), std::string_view(classList), std::string_view(tail),
                                  std::string_view(warnings), std::string_view(exportBlock)})
      pieces.push_back(rest);
    size_t size = 0;
    for (std::string_view piece : pieces) size += piece.size();
    reportWrite(scriptPath(outputPath), pieces, size);
    return text;
  }

  // Otherwise the whole text is made once: the core, the head, the body and
  // the rest.
  size_t bodySize = text.size();
  for (const std::string& script : fileScripts) bodySize += script.size();
  std::string whole;
  whole.reserve(front.size() + bodySize + classList.size() + tail.size() + warnings.size() + exportBlock.size());
  whole += front;
  for (std::string& script : fileScripts) {
    whole += script;
    std::string().swap(script);
  }
  fileScripts.clear();
  whole += text;
  whole += classList;
  whole += tail;
  whole += warnings;
  text = std::move(whole);
  if (intoMainModule) return text;
  if (this == Main) {
    if (RuvoJs && RuvoJs != this) text.insert(0, RuvoJs->save() + "\r\n");
    text += MainOneScriptFile.save();
  }

  // The file is the text and the export block.
  const std::string_view pieces[] = {text, exportBlock};
  reportWrite(scriptPath(outputPath), pieces, text.size() + exportBlock.size());
  return text;
}

// Short names for the classes of other scripts, for a script that keeps its
// names in a closure: "\r\n\tvar Foo=a.b.Foo,Bar=Ruvo.Bar;\r\n", a new
// "var" line whenever one grows past 100 characters.
std::string OneScriptFile::importClassToString() {
  std::vector<std::string> keys;
  keys.reserve(usedClasses.size());
  for (auto& entry : usedClasses) keys.push_back(entry.first);
  std::sort(keys.begin(), keys.end());

  std::string out = "\r\n\tvar ";
  size_t lineStart = 0;
  for (const std::string& key : keys) {
    if (key == "Ruvo") continue;
    UseCLass* used = usedClasses.get(key, nullptr);
    if (!used) continue;
    if (used->file && used->file->outputScript == this) continue;
    std::string value = used->fullName.find('.') != std::string::npos ? used->fullName : "Ruvo." + used->fullName;
    if (out.size() - lineStart > 100) {
      out.pop_back();
      out += ";\r\n\tvar ";
      lineStart = out.size();
    }
    out += key + "=" + value + ",";
  }
  if (out.size() <= 9) return "";
  out.back() = ';';
  out += "\r\n";
  return out;
}
