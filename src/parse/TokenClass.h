// Class records and the process-wide class registries.
#pragma once

#include <string>
#include <vector>

#include "Token.h"

class TokenFunction;
class TokenPackage;

// The accessor pair of one property; either may be null.
class GetSetFunction {
 public:
  TokenFunction* set = nullptr;
  TokenFunction* get = nullptr;
};

class TokenClass : public Token {
 public:
  uint8_t systemUseStatic = 0;
  std::string shortName;
  std::string miniName;
  std::string fullName;
  std::string superName;
  uint8_t libraryClass = 0;
  uint8_t isInterface = 0;
  int32_t orderKey = 0;
  uint8_t forcedCompile = 0;
  OrderedMap<Token*> noEnumMembers;
  double extendsDepth = 0;
  double classId = 0;
  int32_t level = 0;
  TokenFunction* constructorFunction = nullptr;
  Token* superCall = nullptr;
  TokenClass* superClass = nullptr;
  // Set once any class names this one as its base: only then can linking a
  // base to this class close a loop, so only then is the chain walked.
  uint8_t hasDerived = 0;
  // Set while the file of this class's base is queued for parsing and the
  // extends clause waits to be linked (TokenExtends::linkWaitingClasses).
  uint8_t waitingForBase = 0;
  // The rankClasses batch that computed extendsDepth (0: none).
  uint32_t extendsDepthBatch = 0;
  OrderedMap<Token*> staticMembers;
  OrderedMap<Token*> members;
  OrderedMap<std::string> implementsMap;
  OrderedMap<std::string> bindableVars;
  TokenList staticVars;
  TokenList staticFunctions;
  TokenList vars;
  TokenList methods;
  OrderedMap<GetSetFunction*> getSetMap;
  OrderedMap<GetSetFunction*> staticGetSetMap;
  uint8_t isPrivateClass = 0;
  // The extends clause of a private class whose base was not known when the
  // clause was read; the class output warns there when it still is not.
  Token* baseWarningAt = nullptr;
  std::string registeredName;
  // Start-up text of lazy statics written by the TypeScript class output.
  std::string tsStaticStart;
  // Variables declared in the statements of the class body ({ for (var i ...) }
  // there): locals of the function that runs those statements once.
  OrderedMap<Token*> bodyLocals;

  TokenClass(int type, const char* text, int pos, int line, Token* parent);

  // Slots overridden by a class.
  TokenClass* getTokenClass() override { return this; }
  bool isInStatic() override { return false; }
  void jsFormatPropertyInto(std::string& out, std::string& name, std::string& head, Token* token, int typeCommentOff,
                            int& skip, TokenHeadMsg& headMsg) override;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;

  // TypeScript output of the whole class.
  int toTsScript(std::string& out, Parse* file, int mode, int typeCommentOff);
  // "true" when instances may serve as dictionary keys: dictionaries are on
  // and the class declares no toString method; else "false".
  std::string dictionaryKeyFlag();
  // What follows the class's names in its registration with the runtime, up
  // to ");\n\n": the key flag when dictionaries are on, the base (`errorBase`
  // for a built-in error class, `base` for a class of the project; Array and
  // Map for the array-like ones) and the mini name where it differs.
  std::string registrationArguments(const std::string& keyFlag, const std::string& errorBase,
                                    const std::string& base);

  static double& __ID__();
  // Number of class tokens made: no chain of bases is longer without a loop.
  static size_t& _classCount_();
  static TokenClass* __pMainClass__;
  static OrderedMap<std::string> NameSpaceMap;

  // Registries (created on first use, kept to the end of the run).
  static OrderedMap<TokenClass*>& _classMap_();
  static OrderedMap<std::string>& _interfacesMap_();
  static OrderedMap<std::string>& _onlyClassNameMap_();
  static OrderedMap<std::string>& _onlyTopPathMap_();
  static OrderedMap<int32_t>& _MiniClassMap_();
  static OrderedMap<std::string>& _classAndMiniNameMap_();

  static TokenClass* GetTokenClass(const char* fullName);
  static TokenClass* GetTokenClass(const std::string& fullName) { return _classMap_().get(fullName, nullptr); }
  static bool HasClassAndMiniName(const char* name);
  static void _addToOnlyClassNameMap_(std::string shortName, std::string fullName);
  static bool _OnlyClassNameMapHasOtherClass_(TokenClass* cls, std::string shortName, std::string fullName);
  bool compilerThisClassFile(const char* fullName);
  std::string addReferencePath(Parse* file);

  double makeExtendsDeph();
  // While a batch is open, makeExtendsDeph stops at bases it has computed in
  // that batch, so ranking every class of a chain is linear in its length.
  static void beginExtendsDepthBatch();
  static void endExtendsDepthBatch();
  // Marks left for a class whose base is not linked yet: replayed once the
  // waiting classes are linked.
  static std::vector<std::pair<TokenClass*, std::string>>& _waitingPrivateMarks_();
  void setPrivateWillAdjustName(const char* name);
  void add_get(std::string name, TokenFunction* fn);
  void add_set(std::string name, TokenFunction* fn);
  OrderedMap<GetSetFunction*>& getGetSetMap(TokenFunction* fn);
  bool hasThisGetOrSetFun(const char* name, const char* kind);
  // The implemented interfaces as the object literal of Ruvo.imps; with the
  // class's package, names resolved before their interface was registered are
  // qualified again.
  std::string toFullImplements(TokenPackage* package = nullptr);
  // An interface name recorded while its interface was not registered yet
  // (interfaces are not pre-scanned): its short name looked up in the package
  // and in the package's wildcard imports; otherwise the name unchanged.
  static std::string qualifyInterfaceName(const std::string& name, TokenPackage* package);
  bool superHasThisVar(const char* name);
  // The member path `rest` (".a.b", what follows a name of type `type`) with
  // each private member that this class renames written under that name, for
  // as long as the path goes through values typed as this class.
  std::string withRenamedPrivates(const std::string& type, const std::string& rest, Parse* file);
  // The base class record, looked up by superName and cached on first need.
  TokenClass* resolveSuperClass();
  // Links `base` as the base class unless that closes an inheritance loop;
  // a loop queues one source error at `at`, clears superName, and gives false.
  bool linkSuperClass(TokenClass* base, Token* at, Parse* file);
  // superClass := base, remembering on the base that a class derives from it.
  void setSuperClass(TokenClass* base) {
    superClass = base;
    if (base) base->hasDerived = 1;
  }
  // Whether the chain of resolved bases from `from` reaches `target` (or loops).
  static bool chainReaches(TokenClass* from, TokenClass* target);
  // Error and the other built-in error classes (TypeError, ArgumentError ...):
  // a class extends them as the constructors that JavaScript or the runtime
  // core provides.
  static bool isBuiltinErrorClass(const std::string& name);
  // The JavaScript name of `cls` where it is written now: its mini name, or
  // its full name when a class closure being written names its own
  // constructor so (a.Point inside the closure of b.Point).
  static std::string closureSafeName(TokenClass* cls);

  // Member name resolution.
  bool jsFormatPropertyInVapMap(std::string& out, std::string& name, std::string& head, TokenClass* self,
                                Token* token, TokenFunction* fn, int unused, TokenHeadMsg& headMsg);
  bool jsFormatPropertyInStaticMap(std::string& out, std::string& name, std::string& head, TokenClass* self,
                                   int unused, TokenHeadMsg& headMsg);
  static std::string _checkStaticGet_Set(std::string marker, std::string full, std::string name,
                                         std::string head);

 private:
  // Steps that the JavaScript and the TypeScript class output share.

  // Whether an extends clause that waited for a class further down the file
  // (baseWarningAt) and still names no class is warned about (the JavaScript
  // output) or passed over (the TypeScript output).
  enum class UnknownBase { Warn, Silent };
  // Whether the emulation library starts the main class with Zafrit.Run (the
  // JavaScript output) or leaves the start code alone.
  enum class LibraryStart { ZafritRun, Untouched };

  // The base class as the output names it: Object and Function are none, an
  // interface is implemented, not extended; the package learns that the file
  // uses the base, and this class becomes the package's working class. Gives
  // the working class it replaced.
  TokenClass* settleBaseClass(Parse* file, UnknownBase unknownBase);
  // The public class of the main file starts the game: it becomes the main
  // class, its file is written first, and the start code calls it.
  void takeMainClassRole(Parse* file, LibraryStart libraryStart);
  // A public class that its file also lists among its private classes is an
  // error of the file, reported here (and in the message box when one is
  // hooked); the class then prints nothing.
  bool listedAmongPrivateClasses(Parse* file);
};

// Clears every class registry (tests compile several projects in one process).
void resetClassRegistries();
