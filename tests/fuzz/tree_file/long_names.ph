((Averyveryverylongname1,B),(C,D));
((Averyveryverylongname1,B),(C,D));
