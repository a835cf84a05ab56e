/*[IF-FLASH-BEGIN]*/
import flash.display.Sprite;
/*[IF-FLASH-END]*/
//[IF-JS]var js:int = 1;
/*[IF-SCRIPT-BEGIN]
live();
[IF-SCRIPT-END]*/
/*[IF-FLASH]*/ flashOnly();
/*[NOENUMERATION]*/ var hidden;
//[FILEINDEX:3]
//[COMPILER OPTIONS:ForcedCompile]
/*[DISBALEOUTCONST-BEGIN]*/ const A = 1; /*[DISBALEOUTCONST-END]*/
include "a.as";
package {}
