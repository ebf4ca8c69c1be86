((A:0.1,B:0.2):0.3,(C:0.1,D:0.1):0.2)UPMGAStdJaccard;
((A,C),(B,D))T2;

((A,B),C,D)T3;
*
