x = /abc\/
