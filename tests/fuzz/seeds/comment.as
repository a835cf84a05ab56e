/* a comment that never closes
 var x;