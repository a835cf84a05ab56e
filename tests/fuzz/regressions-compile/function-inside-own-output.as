package {
function ():* { }]package= function n(x:) {  };ut{include "a.as