var x:XML = <a><b c="1">text
